#pragma once

#include <QByteArray>
#include <QString>

namespace dovrin {
class DiskTable;
}

namespace dovrin::files {

// Where a catalogued file or folder lies on the real disk: the disk's source followed by the
// key without its disk part. For a disk catalogued from /media/alice/PHOTOS/ the file key
// Holidays\Photos\Games\readme.txt lies at /media/alice/PHOTOS/Games/readme.txt and the folder
// key Holidays\Photos\Games\ at /media/alice/PHOTOS/Games/.
struct RealPath
{
    // As the user is shown it. A source written on Windows (D:\) keeps its form: D:\Games\x.txt.
    QString text;
    // The bytes to open. Each name is the UTF-8 of its text, or the Windows-1252 bytes that
    // the text was read from when only those exist on the disk, so a name that is not valid
    // UTF-8 still reaches its file. Empty for a source that is not an absolute Linux folder:
    // such a file is simply not found.
    QByteArray native;
};

RealPath realPath(const QString& diskSource, const QString& key);
// The same through the table: the source of the disk that the key belongs to.
RealPath realPath(const DiskTable& disks, const QString& key);

// True when `native` is a file (not a folder) that can be opened for reading. A FIFO does
// not block the question.
bool nativeFileExists(const QByteArray& native);

} // namespace dovrin::files
