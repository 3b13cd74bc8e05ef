#include "SearchTexts.h"

#include "common/DisplayFormat.h"
#include "store/RecordText.h"

namespace dovrin::search::texts {

QString perDisk(int found, int disk, int diskCount)
{
    return foundSoFar(found) + QStringLiteral(" (Currently searching disk") +
           signedNumberText(disk) + QStringLiteral(" of") + signedNumberText(diskCount) +
           QLatin1Char(')');
}

QString foundSoFar(int found)
{
    return QStringLiteral("Searching,") + signedNumberText(found) +
           QStringLiteral(" found so far...");
}

QString buildingList(int found)
{
    return QStringLiteral("Please wait while I build the list. ") + signedNumberText(found) +
           QStringLiteral(" entries added so far...");
}

QString finished(int found, qint64 foundSize, const DisplayFormat& format)
{
    if (foundSize == 0)
        return signedNumberText(found) + QStringLiteral(" item(s) found.");
    return signedNumberText(found) + QStringLiteral(" item(s) found,   ") +
           format.size(DisplayFormat::roundedQuotient(foundSize, 1024)) +
           QStringLiteral(" KB listed");
}

QString aborted(int found)
{
    return QStringLiteral("Aborted.") + signedNumberText(found) + QStringLiteral(" item(s) found.");
}

} // namespace dovrin::search::texts
