#include "StoreFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::comments {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString failure(const char* what, const QString& path, int error)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), path, systemError(error));
}

bool pathExists(const QByteArray& path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

// Makes renames and new names in the folder survive a power cut.
bool syncFolder(const QString& folder, QString& error)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) {
        error = failure("Cannot open the folder", folder, errno);
        return false;
    }
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync folders
    const int syncError = errno;
    ::close(fd);
    if (!ok)
        error = failure("Cannot save", folder, syncError);
    return ok;
}

bool writeAll(int fd, const QByteArray& content)
{
    const char* p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

} // namespace

StoreFile::StoreFile(const DatabaseFolder& folder) : m_root(folder.root()) {}

bool StoreFile::read(QByteArray& content, bool& exists, QString& error) const
{
    content.clear();
    const QString backup = backupPath();
    const QString path = QFile::exists(backup) ? backup : storePath();
    QFile file(path);
    exists = file.exists();
    if (!exists)
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        content.clear();
        return false;
    }
    return true;
}

bool StoreFile::recover(QString& error)
{
    const QByteArray backup = QFile::encodeName(backupPath());
    const QByteArray scratch = QFile::encodeName(scratchPath());
    if (pathExists(backup)) {
        if (::rename(backup.constData(), QFile::encodeName(storePath()).constData()) != 0) {
            error = failure("Cannot restore", backupPath(), errno);
            return false;
        }
        if (!syncFolder(m_root, error))
            return false;
    }
    if (pathExists(scratch) && ::unlink(scratch.constData()) != 0) {
        error = failure("Cannot remove", scratchPath(), errno);
        return false;
    }
    return true;
}

bool StoreFile::replace(const QByteArray& content, QString& error)
{
    const QString scratchName = scratchPath();
    const QByteArray scratch = QFile::encodeName(scratchName);
    const QByteArray store = QFile::encodeName(storePath());

    const int fd = ::open(scratch.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd == -1) {
        error = failure("Cannot write", scratchName, errno);
        return false;
    }
    auto fail = [&](const char* what, int code) {
        ::close(fd);
        ::unlink(scratch.constData());
        error = failure(what, scratchName, code);
        return false;
    };
    // The new store keeps the permissions the user gave the old one.
    struct stat old;
    if (::stat(store.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    if (!writeAll(fd, content))
        return fail("Cannot write", errno);
    if (::fsync(fd) != 0)
        return fail("Cannot save", errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(scratch.constData());
        error = failure("Cannot save", scratchName, code);
        return false;
    }
    if (::rename(scratch.constData(), store.constData()) != 0) {
        const int code = errno;
        ::unlink(scratch.constData());
        error = failure("Cannot replace", storePath(), code);
        return false;
    }
    // The new content is in place; a folder that cannot be synced leaves only the rename's
    // durability open, so it does not turn the change into a failure.
    QString ignored;
    syncFolder(m_root, ignored);
    return true;
}

} // namespace dovrin::comments
