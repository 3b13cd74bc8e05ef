#pragma once

#include "store/DatabaseFolder.h"

#include <QByteArrayView>
#include <QStringList>

namespace dovrin {

// The extension filter, Extensions.dat in the database folder: file-name endings whose files
// are not catalogued. An ending "tmp" rejects report.tmp and notmp, but not REPORT.TMP.
class ExtensionList
{
public:
    static constexpr int kMaxItems = 100;

    ExtensionList() = default;
    explicit ExtensionList(const QStringList& items);

    // Reads the file; a missing file is an empty list. Reading stops at the first empty item
    // or after 100 items.
    static ExtensionList read(const DatabaseFolder& folder);
    // The options dialog's view of the file: each whole line one entry, empty lines included.
    static QStringList readLines(const DatabaseFolder& folder);
    // Replaces the file atomically: each item as typed on its own line, CR LF, no quotes; an
    // empty list is an empty file. False (with a reason) when it cannot be written.
    bool write(const DatabaseFolder& folder, QString* error = nullptr) const;

    const QStringList& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    // True when the file name ends with one of the items (exact bytes, case kept).
    bool rejects(QByteArrayView fileName) const;

private:
    QStringList m_items;
    QList<QByteArray> m_encoded;
};

} // namespace dovrin
