#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace dovrin {

// One entry of a folder listing.
struct FolderEntry
{
    QString name;
    QByteArray rawName;    // the bytes the file system gave
    bool decodable = true; // false when the name is not valid UTF-8: no path reaches it
    bool isFolder = false; // symbolic links are followed
    bool isFile = false;   // a regular file, links followed; not a pipe, socket or device
    // A link whose target could not be looked at (a loop, a folder without permission): it
    // may well be a file, and is neither of the above.
    bool unknown = false;
};

// The entries of a folder in the order the file system returns them, never sorted, without
// "." and "..". Unlike QDir and QDirIterator, it also returns names that are not valid UTF-8
// (which Qt passes over), so that the caller can tell the user about them.
// An empty list when the folder cannot be read.
QList<FolderEntry> listFolder(const QString& nativeFolder);

} // namespace dovrin
