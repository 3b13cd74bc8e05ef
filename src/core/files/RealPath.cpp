#include "RealPath.h"

#include "store/DiskTable.h"
#include "store/Keys.h"
#include "store/TextCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::files {

namespace {

bool entryExists(const QByteArray& path)
{
    struct stat st
    {
    };
    return ::lstat(path.constData(), &st) == 0;
}

// Builds the bytes of an absolute path name by name. A name read from a record that was not
// valid UTF-8 came back as Windows-1252 text; its old bytes are used when they, and not the
// UTF-8 form, exist on the disk.
QByteArray nativeBytes(const QString& path)
{
    QByteArray native;
    const QStringList names = path.split(u'/');
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0)
            native.append('/');
        const QString& name = names.at(i);
        const QByteArray utf8 = name.toUtf8();
        QByteArray old;
        if (text::encodeWindows1252(name, old) && !text::isValidUtf8(old) &&
            !entryExists(native + utf8) && entryExists(native + old)) {
            native.append(old);
        } else {
            native.append(utf8);
        }
    }
    return native;
}

} // namespace

RealPath realPath(const QString& diskSource, const QString& key)
{
    QString tail = key.mid(keys::disk(key).size());
    RealPath path;
    if (!diskSource.startsWith(u'/')) {
        path.text = diskSource + tail;
        return path;
    }
    tail.replace(keys::kSeparator, u'/');
    path.text = diskSource + tail;
    path.native = nativeBytes(path.text);
    return path;
}

RealPath realPath(const DiskTable& disks, const QString& key)
{
    const int index = keys::findDisk(disks, key);
    return realPath(index > 0 ? disks.at(index).source : QString(), key);
}

bool nativeFileExists(const QByteArray& native)
{
    if (native.isEmpty())
        return false;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1)
        return false;
    struct stat st
    {
    };
    const bool file = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return file;
}

} // namespace dovrin::files
