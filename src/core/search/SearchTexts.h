#pragma once

#include <QString>

namespace dovrin {
class DisplayFormat;
}

namespace dovrin::search::texts {

inline const QString kNoSearchText = QStringLiteral("No search text!");
inline const QString kClearing = QStringLiteral("Clearing previous search...");
inline const QString kSearching = QStringLiteral("Searching...");
inline const QString kDestroyingList = QStringLiteral("Please wait, destroying list...");

// "Searching, 12 found so far... (Currently searching disk 3 of 40)"
QString perDisk(int found, int disk, int diskCount);
// "Searching, 12 found so far..."
QString foundSoFar(int found);
// "Please wait while I build the list.  200 entries added so far..."
QString buildingList(int found);
// " 12 item(s) found." or " 12 item(s) found,   1,534 KB listed"
QString finished(int found, qint64 foundSize, const DisplayFormat& format);
// "Aborted. 12 item(s) found."
QString aborted(int found);

} // namespace dovrin::search::texts
