#include "Keys.h"

#include "DiskTable.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin {
namespace keys {

namespace {

// Position of the n-th (1-based) separator, or -1.
qsizetype nthSeparator(QStringView key, int n)
{
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (key[i] == kSeparator && --n == 0)
            return i;
    }
    return -1;
}

} // namespace

QString catalogue(QStringView key)
{
    const qsizetype p = nthSeparator(key, 1);
    return p == -1 ? QString() : key.first(p + 1).toString();
}

QString catalogueName(QStringView key)
{
    const qsizetype p = nthSeparator(key, 1);
    return p == -1 ? QString() : key.first(p).toString();
}

QString disk(QStringView key)
{
    const qsizetype p = nthSeparator(key, 2);
    return p == -1 ? QString() : key.first(p + 1).toString();
}

QString recordPath(QStringView key)
{
    const qsizetype p = nthSeparator(key, 2);
    return p == -1 ? key.toString() : key.first(p).toString();
}

QString diskName(QStringView key)
{
    const qsizetype first = nthSeparator(key, 1);
    const qsizetype second = nthSeparator(key, 2);
    if (second < 0)
        return {};
    return key.sliced(first + 1, second - first - 1).toString();
}

QString parent(QStringView key)
{
    for (qsizetype i = key.size() - 2; i >= 0; --i) {
        if (key[i] == kSeparator)
            return key.first(i + 1).toString();
    }
    return {};
}

QString lastName(QStringView key)
{
    if (key.endsWith(kSeparator))
        key.chop(1);
    const qsizetype p = key.lastIndexOf(kSeparator);
    return p == -1 ? QString() : key.sliced(p + 1).toString();
}

int findDisk(const DiskTable& table, QStringView key)
{
    const QString path = recordPath(key);
    for (int i = 1; i <= table.count(); ++i) {
        if (table.at(i).path == path)
            return i;
    }
    return 0;
}

} // namespace keys

bool nameIsValid(QStringView name)
{
    for (const QChar c : name) {
        if (kForbiddenNameCharacters.contains(c))
            return false;
    }
    return true;
}

bool fileExists(const QString& nativePath)
{
    // An open and an fstat: loading a database asks this three times a disk.
    if (nativePath.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(nativePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return false;
    struct stat st
    {
    };
    const bool isFolder = ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode);
    ::close(fd);
    return !isFolder;
}

} // namespace dovrin
