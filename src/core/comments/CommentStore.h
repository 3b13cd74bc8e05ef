#pragma once

#include "store/DatabaseFolder.h"

#include <QHash>
#include <QList>
#include <QString>

namespace dovrin {

class Prompt;

// One entry of FileComments.dat.
struct CommentEntry
{
    QString key;
    QString comment;
};

// A snapshot of the store for callers that look up many keys: read once, look up in O(1).
class CommentIndex
{
public:
    CommentIndex() = default;
    explicit CommentIndex(const QList<CommentEntry>& entries);
    // The comment of the key, empty when none (the first entry of a key wins).
    QString find(const QString& key) const { return m_byKey.value(key); }
    bool isEmpty() const { return m_byKey.isEmpty(); }

private:
    QHash<QString, QString> m_byKey;
};

// FileComments.dat in the database folder: one "key","comment" line per entry.
// Every rewrite is atomic and durable; a crash at any instant leaves the old or the new content.
// Methods that change the store return false when it could not be written; the store is then
// as it was and `lastError()` says why.
class CommentStore
{
public:
    explicit CommentStore(const DatabaseFolder& folder);

    QList<CommentEntry> entries() const;   // store order; missing store reads as empty
    CommentIndex loadIndex() const;        // for bulk lookups
    QString get(const QString& key) const; // GetFileComment

    bool set(const QString& key, const QString& comment);           // SetFileComment
    bool remove(const QString& key);                                // DeleteFileComment
    bool deleteDisk(const QString& diskKey);                        // DeleteDiskComments
    bool renameKeys(const QString& oldPrefix, const QString& newPrefix); // RenameCommentKeys
    // Keeps only the disk's comments whose file or folder is in its (new) file-list file.
    bool purgeStale(const QString& diskKey);                        // PurgeStaleComments

    const QString& lastError() const { return m_lastError; }

private:
    DatabaseFolder m_folder;
    mutable QString m_lastError;
};

} // namespace dovrin
