#pragma once

#include <QDateTime>
#include <QString>

class QIODevice;

namespace dovrin {
class DatabaseFolder;
class DisplayFormat;
struct DiskEntry;
} // namespace dovrin

namespace dovrin::search {
class CommentLookup;
}

namespace dovrin::reports {

// The listing's file name: "Holidays-Photos.txt" for Holidays\Photos, "Photos.txt" for .\Photos.
QString listingFileName(const QString& recordPath);

// What a listing is made of: the disk's table entry and record files, the comments, the
// display format of sizes and dates, and the moment it is generated.
struct ListingSource
{
    const DatabaseFolder& folder;
    const DiskEntry& disk;
    const search::CommentLookup& comments;
    const DisplayFormat& format;
    QDateTime generated;
};

// Writes the text listing of one disk: the head lines, an empty line, then one line of
// exactly 200 characters per folder and file of the file-list file, every line ending with
// CR LF, in UTF-8. The file-list file is read through a fixed buffer and the listing written
// in blocks, so memory does not grow with the disk. False, with `error` set, when the
// file-list file cannot be read to its end or the device cannot be written; what was read
// before is written.
bool writeListing(QIODevice& out, const ListingSource& source, QString& error);

} // namespace dovrin::reports
