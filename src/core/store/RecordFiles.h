#pragma once

#include <QLatin1String>
#include <QList>
#include <algorithm>
#include <iterator>

namespace dovrin {

// One file of a disk record: the record path followed by its suffix (Holidays\Photos.t).
struct RecordFile
{
    const char* suffix;
    // A record without a required file is corrupt; an optional side file travels with its
    // record when it is there.
    bool required;
};

// The files that make up a disk record, in the order delete and rename handle them. This list
// is the only place that names them: loading, backups during an update, rename, move and
// delete all take their files from here, so a new side file needs one line below.
inline constexpr RecordFile kRecordFiles[] = {
    {".i", true},   // info: makes the record a record; source, free space, date, flag
    {".t", true},   // tree: one folder key a line
    {".f", true},   // file list: folder lines and file lines
    {".fp", false}, // fingerprints of the file list's files, when the disk was read for them
};

inline constexpr char kInfoSuffix[] = ".i";
inline constexpr char kFingerprintSuffix[] = ".fp";

// The order a move takes: from the file list on, wrapping round to the info and tree files.
inline QList<RecordFile> recordFilesInMoveOrder()
{
    QList<RecordFile> files(std::begin(kRecordFiles), std::end(kRecordFiles));
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (QLatin1String(files.at(i).suffix) == QLatin1String(".f")) {
            std::rotate(files.begin(), files.begin() + i, files.end());
            break;
        }
    }
    return files;
}

} // namespace dovrin
