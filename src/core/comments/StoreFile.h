#pragma once

#include "store/DatabaseFolder.h"

#include <QByteArray>
#include <QString>

namespace dovrin::comments {

inline constexpr char kStoreName[] = "FileComments.dat";
// Left by a rewrite that replaced the store by renaming it first and was interrupted.
inline constexpr char kBackupName[] = "FileComments.old";
// The next content while it is written; it becomes the store in one rename.
inline constexpr char kScratchName[] = "FileComments.new";
// Locked around every read-modify-write, so that two processes never lose each other's change.
inline constexpr char kLockName[] = "FileComments.lock";

// The store file on disk. A change writes the whole new content to a scratch file, syncs it,
// renames it over the store and syncs the folder: at any instant of a crash the store holds
// either the old or the new content. A backup left over by an interrupted rename-first
// rewrite is the last content known to be complete, so it wins over the store beside it.
class StoreFile
{
public:
    explicit StoreFile(const DatabaseFolder& folder);

    // The current content, without changing anything on disk: the leftover backup when there
    // is one, else the store. A missing store reads as empty with `exists` false.
    bool read(QByteArray& content, bool& exists, QString& error) const;

    // Before a change: puts a leftover backup back in place and drops a leftover scratch file.
    bool recover(QString& error);

    // Replaces the store durably with content; on failure the store is as it was.
    bool replace(const QByteArray& content, QString& error);

    QString storePath() const { return m_root + QLatin1String(kStoreName); }
    QString backupPath() const { return m_root + QLatin1String(kBackupName); }
    QString scratchPath() const { return m_root + QLatin1String(kScratchName); }
    QString lockPath() const { return m_root + QLatin1String(kLockName); }

private:
    QString m_root;
};

} // namespace dovrin::comments
