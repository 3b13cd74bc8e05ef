#pragma once

#include <QByteArray>
#include <QString>

namespace dovrin {
class Progress;
class Prompt;
} // namespace dovrin

namespace dovrin::scan {

// What the two passes of a scan share: where they report, the folder count, and the
// failure that ends the scan (an errno and the path it happened on).
struct ScanContext
{
    Progress& progress;
    Prompt& prompt;
    qint64 folderCount = 1;
    int failure = 0;
    QByteArray failurePath;

    bool fail(int error, const QByteArray& path)
    {
        failure = error;
        failurePath = path;
        return false;
    }
    bool failed() const { return failure != 0; }
};

// The problem messages of a scan. Texts are shown as they stand.
namespace messages {
// A file whose size or date cannot be read. True when the user chose to go on (OK).
bool fileProblem(Prompt& prompt, const QString& fileName);
// A folder whose files cannot be listed; the scan goes on.
void folderProblem(Prompt& prompt, const QString& folderPath);
// An entry that the folder walk cannot examine. True when the user chose to go on (OK).
bool walkProblem(Prompt& prompt, int error, const QString& entryName);
// A failure that ends the scan; nothing of the new record is kept.
void scanFailed(Prompt& prompt, int error, const QString& path);
} // namespace messages

// True for the errors that mean "this entry is gone or out of reach", which the scan
// reports and steps over; anything else (an I/O error, no memory) ends the scan.
bool isEntryProblem(int error);

QString displayPath(const QByteArray& nativePath);

} // namespace dovrin::scan
