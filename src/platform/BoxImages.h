#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QVector>

namespace dovrin::platform {

// The image list shared by the catalogue tree, the file list and the search results: icons
// under keys ("disk", "catalogue", "open", "closed", and one per file type keyed by the
// upper-cased extension with its dot), numbered from 1 in the order they were added.
// Images last until the program ends.
class BoxImages
{
public:
    static BoxImages& shared();

    int count() const { return int(m_icons.size()); }
    // The index of the first image with this key, 0 when none.
    int indexOf(const QString& key) const { return m_indexByKey.value(key); }
    // Adds an image; an existing key keeps its first image, whose index is returned.
    int add(const QString& key, const QIcon& icon);
    // The image at an index; the null icon for 0 or an index out of range.
    QIcon icon(int index) const;
    QIcon icon(const QString& key) const { return icon(indexOf(key)); }
    QString key(int index) const;

private:
    QVector<QIcon> m_icons;
    QVector<QString> m_keys;
    QHash<QString, int> m_indexByKey;
};

} // namespace dovrin::platform
