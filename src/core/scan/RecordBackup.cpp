#include "RecordBackup.h"

#include "store/RecordFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace dovrin {

namespace {

const QLatin1String kBackupSuffix(".old");
const QLatin1String kWorkSuffix(".t.tmp");

QString backupSuffix(const RecordFile& file)
{
    return QLatin1String(file.suffix) + kBackupSuffix;
}

bool exists(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), F_OK) == 0;
}

// True when another process holds the file's lock: its scan is still running. A file that is
// there but cannot be opened to look counts as held: better to refuse than to change a record
// under a running scan.
bool isLocked(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return errno != ENOENT && errno != ENOTDIR;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd != -1) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

RecordBackup::RecordBackup(const DatabaseFolder& database, const QString& recordPath)
    : m_database(database), m_recordPath(recordPath)
{
}

RecordBackup::~RecordBackup()
{
    if (m_lock != -1)
        ::close(m_lock);
}

QString RecordBackup::file(const QString& suffix) const
{
    return m_database.nativePath(m_recordPath + suffix);
}

bool RecordBackup::make(QString* error)
{
    m_lock = ::open(QFile::encodeName(file(QLatin1String(kInfoSuffix))).constData(),
                    O_RDONLY | O_CLOEXEC);
    if (m_lock != -1)
        ::flock(m_lock, LOCK_EX | LOCK_NB);
    for (const RecordFile& record : kRecordFiles)
        QFile::remove(file(backupSuffix(record)));
    auto move = [&](const QString& from, const QString& to) {
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
               0;
    };
    QList<const RecordFile*> moved;
    for (const RecordFile& record : kRecordFiles) {
        const QString from = file(QLatin1String(record.suffix));
        if (!exists(from))
            continue;
        if (!move(from, file(backupSuffix(record)))) {
            if (error)
                *error = from + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            // The files set aside so far go back; the rest never moved.
            for (const RecordFile* back : moved)
                move(file(backupSuffix(*back)), file(QLatin1String(back->suffix)));
            return false;
        }
        moved.append(&record);
    }
    return true;
}

void RecordBackup::restore()
{
    for (const RecordFile& record : kRecordFiles) {
        if (record.required && !exists(file(backupSuffix(record))))
            return;
    }
    for (const RecordFile& record : kRecordFiles) {
        if (exists(file(backupSuffix(record))))
            ::rename(QFile::encodeName(file(backupSuffix(record))).constData(),
                     QFile::encodeName(file(QLatin1String(record.suffix))).constData());
    }
}

void RecordBackup::discard()
{
    // The new record must be on the disk before the only other copy goes.
    for (const RecordFile& record : kRecordFiles)
        syncFile(file(QLatin1String(record.suffix)));
    for (const RecordFile& record : kRecordFiles)
        QFile::remove(file(backupSuffix(record)));
}

QStringList recoverInterruptedScans(const DatabaseFolder& database, const QString& folderPath)
{
    const QDir folder(database.nativePath(folderPath));
    QSet<QString> names;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    QStringList leftovers{kWorkSuffix};
    for (const RecordFile& record : kRecordFiles)
        leftovers.append(backupSuffix(record));
    for (const QString& fileName : files) {
        for (const QString& suffix : std::as_const(leftovers)) {
            if (fileName.endsWith(suffix))
                names.insert(fileName.chopped(suffix.size()));
        }
    }

    QStringList repaired;
    for (const QString& name : names) {
        const QString recordPath = folderPath + name;
        auto path = [&](const QString& suffix) { return database.nativePath(recordPath + suffix); };
        const QString info = QLatin1String(kInfoSuffix);
        if (isLocked(path(info)) || isLocked(path(info + kBackupSuffix)))
            continue;
        bool backups = false;
        bool complete = !exists(path(kWorkSuffix));
        for (const RecordFile& record : kRecordFiles) {
            backups = backups || exists(path(backupSuffix(record)));
            complete = complete && (!record.required || exists(path(QLatin1String(record.suffix))));
        }
        if (backups && complete) {
            for (const RecordFile& record : kRecordFiles)
                QFile::remove(path(backupSuffix(record)));
        } else if (backups) {
            // Each backup goes back over its half-written replacement; a record file without
            // a backup was never renamed and is the old one.
            for (const RecordFile& record : kRecordFiles) {
                if (exists(path(backupSuffix(record))))
                    ::rename(QFile::encodeName(path(backupSuffix(record))).constData(),
                             QFile::encodeName(path(QLatin1String(record.suffix))).constData());
            }
            QFile::remove(path(kWorkSuffix));
        } else {
            for (const RecordFile& record : kRecordFiles)
                QFile::remove(path(QLatin1String(record.suffix)));
            QFile::remove(path(kWorkSuffix));
        }
        repaired.append(recordPath);
    }
    return repaired;
}

QStringList recoverInterruptedScans(const DatabaseFolder& database)
{
    if (database.isEmpty())
        return {};
    QStringList repaired = recoverInterruptedScans(database, QStringLiteral(".\\"));
    const QStringList catalogues =
        QDir(database.root()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : catalogues)
        repaired += recoverInterruptedScans(database, name + u'\\');
    return repaired;
}

bool isBeingScanned(const DatabaseFolder& database, const QString& recordPath)
{
    const QString info = database.recordFile(recordPath, kInfoSuffix);
    return isLocked(info) || isLocked(info + kBackupSuffix);
}

} // namespace dovrin
