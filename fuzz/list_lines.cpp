// The file-list reader of the copies and verify commands, which finds line feeds and quotes
// through bit masks and reads sizes eight digits at a time: each line it gives must be what a
// plain reading of the same bytes gives, line feed by line feed, and each size what the
// field-by-field parse makes of it.
#include "FuzzSupport.h"
#include "copies/ListLines.h"
#include "store/RecordText.h"

using namespace dovrin;

namespace {

// A line read plainly: a CR before its end dropped; a quoted first field up to the next
// quote, else up to the first comma, trimmed; the rest from there on.
copies::ListLine plainLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    copies::ListLine plain;
    qsizetype end;
    if (line.startsWith('"')) {
        end = line.indexOf('"', 1);
        if (end == -1)
            end = line.size();
        plain.name = line.sliced(1, end - 1);
    } else {
        end = line.indexOf(',');
        if (end == -1)
            end = line.size();
        plain.name = line.first(end).trimmed();
    }
    plain.rest = line.sliced(end);
    plain.folder = plain.name.startsWith(':');
    return plain;
}

// The size as the record readers take it: the field after the first comma, 0 when it is none.
qint64 fieldSize(QByteArrayView rest)
{
    const qsizetype comma = rest.indexOf(',');
    if (comma == -1)
        return 0;
    rest = rest.sliced(comma + 1);
    const qsizetype end = rest.indexOf(',');
    qint64 value = 0;
    return fields::parseSize((end == -1 ? rest : rest.first(end)).trimmed(), value) ? value : 0;
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    copies::ListLines lines(data);
    copies::ListLine line;
    QByteArrayView left = data;
    for (;;) {
        const qsizetype lineFeed = left.indexOf('\n');
        const copies::ListLine plain = plainLine(lineFeed == -1 ? left : left.first(lineFeed));
        const bool listed = !left.isEmpty() && !plain.name.isEmpty();
        fuzz::require(lines.next(line) == listed, "the list ends elsewhere than a plain reading");
        if (!listed)
            return;
        fuzz::require(line.name == plain.name && line.rest == plain.rest &&
                          line.folder == plain.folder,
                      "a line reads otherwise than a plain reading", QString::fromUtf8(plain.name));
        const qint64 size = fieldSize(line.rest);
        fuzz::require(copies::sizeOf(line.rest) == size &&
                          copies::detail::sizeOfSlowly(line.rest) == size,
                      "a size reads otherwise than field by field", QString::fromUtf8(line.rest));
        left = lineFeed == -1 ? QByteArrayView() : left.sliced(lineFeed + 1);
    }
}
