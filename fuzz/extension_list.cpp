// Extensions.dat: the scanner's view (field by field, at most 100) and the options dialog's
// (each line one entry).
#include "FuzzSupport.h"
#include "scan/ExtensionList.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    scratch.write(QStringLiteral("Extensions.dat"), data);
    const DatabaseFolder& folder = scratch.database();

    const ExtensionList filter = ExtensionList::read(folder);
    fuzz::require(filter.count() <= ExtensionList::kMaxItems, "more than 100 entries read");
    for (const QString& item : filter.items()) {
        fuzz::require(!item.isEmpty(), "an empty entry would reject every file");
        fuzz::require(filter.rejects(item.toUtf8()), "an entry does not reject its own name", item);
    }
    fuzz::require(!filter.rejects(QByteArrayView()), "an empty name is rejected");

    // The dialog writes back what it read, and reads that back the same.
    const QStringList lines = ExtensionList::readLines(folder);
    fuzz::require(ExtensionList(lines).write(folder), "the list cannot be written");
    fuzz::require(ExtensionList::readLines(folder) == lines,
                  "rewritten entries read back otherwise", lines.join(u'|'));
}
