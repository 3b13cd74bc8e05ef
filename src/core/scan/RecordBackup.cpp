#include "RecordBackup.h"

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

const char* const kRecordExtensions[] = {".i", ".t", ".f"};
const char* const kBackupExtensions[] = {".i.old", ".t.old", ".f.old"};

bool exists(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), F_OK) == 0;
}

// True when another process holds the file's lock: its scan is still running.
bool isLocked(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
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
    if (m_lock >= 0)
        ::close(m_lock);
}

QString RecordBackup::file(const char* extension) const
{
    return m_database.recordFile(m_recordPath, extension);
}

bool RecordBackup::make(QString* error)
{
    m_lock = ::open(QFile::encodeName(file(".i")).constData(), O_RDONLY | O_CLOEXEC);
    if (m_lock >= 0)
        ::flock(m_lock, LOCK_EX | LOCK_NB);
    for (const char* backup : kBackupExtensions)
        QFile::remove(file(backup));
    for (int i = 0; i < 3; ++i) {
        const QString from = file(kRecordExtensions[i]);
        if (!exists(from))
            continue;
        if (::rename(QFile::encodeName(from).constData(),
                     QFile::encodeName(file(kBackupExtensions[i])).constData()) != 0) {
            if (error)
                *error = from + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            restore();
            return false;
        }
    }
    return true;
}

void RecordBackup::restore()
{
    for (const char* backup : kBackupExtensions) {
        if (!exists(file(backup)))
            return;
    }
    for (int i = 0; i < 3; ++i)
        ::rename(QFile::encodeName(file(kBackupExtensions[i])).constData(),
                 QFile::encodeName(file(kRecordExtensions[i])).constData());
}

void RecordBackup::discard()
{
    // The new record must be on the disk before the only other copy goes.
    for (const char* extension : kRecordExtensions)
        syncFile(file(extension));
    for (const char* backup : kBackupExtensions)
        QFile::remove(file(backup));
}

QStringList recoverInterruptedScans(const DatabaseFolder& database, const QString& folderPath)
{
    const QDir folder(database.nativePath(folderPath));
    QSet<QString> names;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& fileName : files) {
        for (const char* suffix : {".i.old", ".t.old", ".f.old", ".t.tmp"}) {
            if (fileName.endsWith(QLatin1String(suffix)))
                names.insert(fileName.chopped(int(std::strlen(suffix))));
        }
    }

    QStringList repaired;
    for (const QString& name : names) {
        const QString recordPath = folderPath + name;
        auto path = [&](const char* extension) {
            return database.recordFile(recordPath, extension);
        };
        if (isLocked(path(".i")) || isLocked(path(".i.old")))
            continue;
        bool backups = false;
        for (const char* backup : kBackupExtensions)
            backups = backups || exists(path(backup));
        const bool complete = exists(path(".i")) && exists(path(".t")) && exists(path(".f")) &&
                              !exists(path(".t.tmp"));
        if (backups && complete) {
            for (const char* backup : kBackupExtensions)
                QFile::remove(path(backup));
        } else if (backups) {
            // Each backup goes back over its half-written replacement; a record file without
            // a backup was never renamed and is the old one.
            for (int i = 0; i < 3; ++i) {
                if (exists(path(kBackupExtensions[i])))
                    ::rename(QFile::encodeName(path(kBackupExtensions[i])).constData(),
                             QFile::encodeName(path(kRecordExtensions[i])).constData());
            }
            QFile::remove(path(".t.tmp"));
        } else {
            for (const char* extension : {".i", ".t", ".f", ".t.tmp"})
                QFile::remove(path(extension));
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

} // namespace dovrin
