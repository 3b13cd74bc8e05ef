#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace dovrin::comments {

// Which of some keys of one disk name a file or folder listed in the disk's file-list file.
// Keys are taken relative to the disk's key: "" for the root, "Games\" for a folder,
// "Games\readme.txt" for a file. The file is read once, whatever the number of keys.
class ListedKeys
{
public:
    void want(const QString& relativeKey);
    bool isEmpty() const { return m_wanted.isEmpty(); }
    // Walks the file-list file; false, with error set, when it cannot be read to its end.
    bool scan(const QString& fileListPath, QString& error);
    bool isListed(const QString& relativeKey) const;

private:
    // Keys as UTF-8 bytes, the way a file-list item's name is compared without decoding it.
    QSet<QByteArray> m_wanted;
    QSet<QByteArray> m_listed;
};

} // namespace dovrin::comments
