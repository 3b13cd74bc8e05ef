// PendingChange.dat: the change a kill may have left half done.
#include "FuzzSupport.h"
#include "manage/PendingChange.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    const std::optional<PendingChange> change = parsePendingChange(data);
    if (!change)
        return;
    // What the writer makes of a change read back reads back the same.
    const QByteArray written = formatPendingChange(*change);
    const std::optional<PendingChange> again = parsePendingChange(written);
    fuzz::require(again && *again == *change, "a rewritten change reads back otherwise",
                  QString::fromUtf8(written));
}
