#pragma once

#include "store/DatabaseFolder.h"

#include <QString>

namespace dovrin {

class Progress;
class Prompt;

// What to catalogue and where the record goes.
struct ScanRequest
{
    DatabaseFolder database;
    QString recordPath; // .\Photos or Holidays\Photos
    QString sourcePath; // absolute native folder ending with "/"
    bool foldersOnly = false;
    int attributeMask = 6; // 2 adds hidden names, 4 system entries, 6 both
    // Reads every file for its fingerprint into the record's side file (not for folders
    // only). The backups of a record being replaced lend the fingerprints of unchanged files.
    bool fingerprint = false;
    // Says how many files could not be read for their fingerprints, when any.
    bool reportUnreadable = true;
};

enum class ScanOutcome
{
    Complete,  // info, tree and file-list files written, work file gone
    Cancelled, // the user stopped it; no file of the new record is left
    Failed,    // a failure ended it (already reported); no file of the new record is left
};

// CatalogueDisk: writes the record of the source folder. Reports through `progress` ("Starting
// task...", "Getting folders...", the folder count, "One moment...", "Getting file lists...
// i/N", "Cleaning up...", values 20, 29, then one equal step per folder up to 99) and asks
// `prompt` about problems. A stop request seen at the yield points cancels it.
ScanOutcome catalogueDisk(const ScanRequest& request, Progress& progress, Prompt& prompt);

// The free space of the file system holding `path`, as the info file writes it: "1234.56MB"
// with the locale's decimal separator; "0.00MB" when it cannot be asked for.
QString freeSpaceText(const QString& path);

} // namespace dovrin
