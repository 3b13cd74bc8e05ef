// The info file of a disk record: five plain lines.
#include "FuzzSupport.h"
#include "store/DiskRecord.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    DiskInfo info;
    QString version;
    if (parseInfoFile(data, info, &version) != InfoReadStatus::Ok)
        return;
    fuzz::require(version == QLatin1String("25"), "a good info file is of version 25", version);
    // What the writer makes of it reads back the same.
    DiskInfo again;
    const QByteArray written = infoFileBytes(info);
    fuzz::require(parseInfoFile(written, again) == InfoReadStatus::Ok, "rewritten info unreadable",
                  QString::fromUtf8(written));
    fuzz::require(again.source == info.source && again.freeSpace == info.freeSpace &&
                      again.date == info.date && again.foldersOnly == info.foldersOnly,
                  "rewritten info reads back otherwise", QString::fromUtf8(written));
}
