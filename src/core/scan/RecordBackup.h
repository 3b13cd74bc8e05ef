#pragma once

#include "store/DatabaseFolder.h"

#include <QString>

namespace dovrin {

// The backups of a record being rewritten: each record file under its name and ".old"
// (".i.old", ".t.old", ".f.old").
class RecordBackup
{
public:
    RecordBackup(const DatabaseFolder& database, const QString& recordPath);
    ~RecordBackup();
    RecordBackup(const RecordBackup&) = delete;
    RecordBackup& operator=(const RecordBackup&) = delete;

    // Deletes stale backups, then gives each record file that exists its backup name. The
    // record is locked until this object goes, so that a start-up elsewhere leaves it alone.
    bool make(QString* error);
    // Cancelled: when all three backups exist, they get their record names back.
    void restore();
    // Completed: the new files are flushed to the disk, then every backup is deleted.
    void discard();

private:
    QString file(const QString& suffix) const;
    DatabaseFolder m_database;
    QString m_recordPath;
    int m_lock = -1;
};

// Start-up recovery of a catalogue folder (".\" or "Holidays\") after a crash or a kill in
// the middle of a scan: a record with backups keeps its new files when they are complete
// (info, tree and file-list files present, no work file) and otherwise gets its backups back;
// a new record whose scan never finished (a work file is left) is deleted. Records locked by a
// running scan are left alone. Returns the record paths it repaired.
QStringList recoverInterruptedScans(const DatabaseFolder& database, const QString& folderPath);
// The same for the pseudo-catalogue and every catalogue folder of the database.
QStringList recoverInterruptedScans(const DatabaseFolder& database);

// True while a scan running in another process holds the record's lock.
bool isBeingScanned(const DatabaseFolder& database, const QString& recordPath);

} // namespace dovrin
