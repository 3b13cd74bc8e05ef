#pragma once

#include "store/DatabaseFolder.h"
#include "store/RecordDateTime.h"

#include <QLocale>
#include <QString>
#include <QVector>

namespace dovrin {

class CommentIndex;

// One row of a folder's listing: a sub-folder or a file.
struct ListingRow
{
    QString name;
    qint64 size = 0;         // files only
    RecordDateTime modified; // files only
    QString comment;
    bool isFolder = false;
};

// The contents of one folder of one catalogued disk, read from its record files: the
// sub-folders in tree-file order, then the files in file-list order.
class FolderListing
{
public:
    // The listed key: a disk root (Holidays\Photos\) or a folder (Holidays\Photos\Games\).
    const QString& key() const { return m_key; }
    const QVector<ListingRow>& rows() const { return m_rows; }
    QVector<ListingRow>& rows() { return m_rows; }
    int folderCount() const { return m_folderCount; }
    qint64 totalSize() const { return m_totalSize; }
    const QString& freeSpace() const { return m_freeSpace; }
    qint16 foldersOnly() const { return m_foldersOnly; }

    // The row's tree key: the listed key, the name, and "\" for a folder.
    QString rowKey(int row) const;

    // The location label: the key without the leading "." of the pseudo-catalogue.
    QString locationText() const { return locationText(m_key); }
    static QString locationText(const QString& key);
    // The status panel's summary of the listing.
    QString summaryText(const QLocale& locale = QLocale()) const;

    // Reads the folder named by `key`. False, with the listing untouched, when the key names
    // no disk (a catalogue key). Record files that cannot be read list what could be read:
    // a listed folder whose block is missing shows its sub-folders only.
    bool read(const DatabaseFolder& folder, const QString& key, const CommentIndex& comments);

private:
    QString m_key;
    QVector<ListingRow> m_rows;
    int m_folderCount = 0;
    qint64 m_totalSize = 0;
    QString m_freeSpace;
    qint16 m_foldersOnly = 0;
};

} // namespace dovrin
