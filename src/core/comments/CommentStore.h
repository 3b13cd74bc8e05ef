#pragma once

#include "store/DatabaseFolder.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

namespace dovrin {

class FolderCommentSink;

namespace comments {
struct CommentLine;
}

// One entry of FileComments.dat.
struct CommentEntry
{
    QString key;
    QString comment;

    friend bool operator==(const CommentEntry&, const CommentEntry&) = default;
};

// A snapshot of the store for callers that look up many keys: read once, look up in O(1).
class CommentIndex
{
public:
    CommentIndex() = default;
    explicit CommentIndex(const QList<CommentEntry>& entries);
    // The first entry of a key wins, as in a lookup that reads the store from the start.
    void add(const QString& key, const QString& comment);
    void reserve(qsizetype size) { m_byKey.reserve(size); }
    // The comment of the key, empty when none.
    QString find(const QString& key) const { return m_byKey.value(key); }
    bool isEmpty() const { return m_byKey.isEmpty(); }
    qsizetype size() const { return m_byKey.size(); }

private:
    QHash<QString, QString> m_byKey;
};

// FileComments.dat in the database folder: one "key","comment" line per entry.
// Every rewrite is atomic and durable; a crash at any instant leaves the old or the new content.
// Every change holds the lock file FileComments.lock from its read to its write, so changes
// made at once by the window and dovrin-cli are applied one after the other, none lost.
// Methods that change the store return false when it could not be written; the store is then
// as it was and `lastError()` says why. Reading never creates the store; a missing store reads
// as empty. Lines that are not entries are ignored by reads and kept as they are by rewrites.
class CommentStore
{
public:
    explicit CommentStore(const DatabaseFolder& folder);

    QList<CommentEntry> entries() const;   // store order
    CommentIndex loadIndex() const;        // for bulk lookups
    QString get(const QString& key) const; // the first entry's comment, empty when none
    // Gives the sink the comment of every entry whose parent key is folderKey, in store order.
    void showFolderComments(const QString& folderKey, FolderCommentSink& sink) const;

    // A changed comment keeps its line, a new one goes last, an empty one removes the entry.
    // Double quotes in the comment become apostrophes and line breaks blanks, so the line
    // reads back whole. A key that cannot be stored (it holds "," between quotes or a line
    // break) is refused.
    bool set(const QString& key, const QString& comment);
    bool remove(const QString& key);
    // Removes every entry whose key begins with the disk's key (record path and "\").
    bool deleteDisk(const QString& diskKey);
    // Puts newPrefix in place of oldPrefix at the start of every key that begins with it.
    // Both end with "\", so Photo\ never matches Photos\.
    bool renameKeys(const QString& oldPrefix, const QString& newPrefix);
    // Keeps only the disk's comments whose file or folder (the root included) is in its new
    // file-list file, which is read once. When that file cannot be read, nothing is removed.
    bool purgeStale(const QString& diskKey);

    const QString& lastError() const { return m_lastError; }
    // Lines of the store that the last operation could not read as entries (kept as they are).
    int unreadableLines() const { return m_unreadableLines; }

private:
    // Decides what an entry becomes: append nothing to drop it, its raw line to keep it.
    using EntryWriter =
        std::function<void(const comments::CommentLine&, const QString& key, QByteArray& out)>;
    bool read(QByteArray& content, bool& exists) const;
    using TailWriter = std::function<void(QByteArray& out)>;
    // The one rewrite procedure: every entry through writeEntry, other lines kept, then the
    // tail (for a new entry).
    bool rewrite(const EntryWriter& writeEntry, const TailWriter& writeTail = {});
    bool fail(const QString& why);
    // Runs a change with the store's lock held; false after a failure to take it.
    bool locked(const std::function<bool()>& change);
    bool purgeStaleLocked(const QString& diskKey);
    template <typename Visit> void forEachEntry(const QByteArray& content, Visit&& visit) const;

    DatabaseFolder m_folder;
    mutable QString m_lastError;
    mutable int m_unreadableLines = 0;
};

} // namespace dovrin
