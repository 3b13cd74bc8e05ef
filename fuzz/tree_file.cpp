// The tree file of a disk record: one folder key per line.
#include "FuzzSupport.h"
#include "store/DiskRecord.h"
#include "store/RecordText.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    QStringList keys;
    parseTreeFile(data, keys);
    QByteArray written;
    for (const QString& key : keys) {
        fuzz::require(!key.isEmpty(), "an empty folder key");
        write::plainLine(written, key);
    }
    QStringList again;
    parseTreeFile(written, again);
    fuzz::require(again == keys, "rewritten tree reads back otherwise", keys.join(u'|'));
}
