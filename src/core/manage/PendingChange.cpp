#include "PendingChange.h"

#include "store/Keys.h"
#include "store/RecordFiles.h"
#include "store/TextCodec.h"

namespace dovrin {

namespace {

constexpr char kHeader[] = "Dovrin pending change 1";
constexpr char kEnd[] = "end";
constexpr qsizetype kMaxSuffixLength = 16;

struct KindName
{
    PendingChange::Kind kind;
    const char* name;
};
constexpr KindName kKinds[] = {
    {PendingChange::Kind::MoveDisk, "move-disk"},
    {PendingChange::Kind::DeleteDisk, "delete-disk"},
    {PendingChange::Kind::RenameCatalogue, "rename-catalogue"},
};

bool isCatalogueName(const QString& name)
{
    return !name.isEmpty() && nameIsValid(name) && name != u"." && name != u"..";
}

// "Holidays\Photos" or ".\Photos": no other shape can name a record.
bool isRecordPath(const QString& path)
{
    const qsizetype separator = path.indexOf(u'\\');
    if (separator == -1)
        return false;
    const QString catalogue = path.first(separator);
    const QString disk = path.sliced(separator + 1);
    return (catalogue == u"." || isCatalogueName(catalogue)) && !disk.isEmpty() &&
           nameIsValid(disk);
}

bool isSuffix(QByteArrayView suffix)
{
    if (suffix.size() < 2 || suffix.size() > kMaxSuffixLength || suffix.front() != '.')
        return false;
    for (const char c : suffix.sliced(1)) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum)
            return false;
    }
    return true;
}

// Splits at LF, dropping one CR before it; the text must end with a line end.
std::optional<QList<QByteArrayView>> splitLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    while (!bytes.isEmpty()) {
        const qsizetype lf = bytes.indexOf('\n');
        if (lf == -1)
            return std::nullopt;
        QByteArrayView line = bytes.first(lf);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        bytes = bytes.sliced(lf + 1);
    }
    return lines;
}

std::optional<QString> utf8Name(QByteArrayView bytes)
{
    if (!text::isValidUtf8(bytes))
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

} // namespace

QByteArray formatPendingChange(const PendingChange& change)
{
    QByteArray out;
    auto line = [&out](QByteArrayView text) {
        out.append(text);
        out.append("\r\n");
    };
    line(kHeader);
    for (const KindName& k : kKinds) {
        if (k.kind == change.kind)
            line(k.name);
    }
    line(change.from.toUtf8());
    line(change.to.toUtf8());
    line(change.suffixes.join(u' ').toUtf8());
    line(kEnd);
    return out;
}

std::optional<PendingChange> parsePendingChange(QByteArrayView bytes)
{
    const std::optional<QList<QByteArrayView>> lines = splitLines(bytes);
    if (!lines || lines->size() != 6 || lines->at(0) != kHeader || lines->at(5) != kEnd)
        return std::nullopt;

    PendingChange change;
    bool known = false;
    for (const KindName& k : kKinds) {
        if (lines->at(1) == k.name) {
            change.kind = k.kind;
            known = true;
        }
    }
    const std::optional<QString> from = utf8Name(lines->at(2));
    const std::optional<QString> to = utf8Name(lines->at(3));
    if (!known || !from || !to)
        return std::nullopt;
    change.from = *from;
    change.to = *to;

    switch (change.kind) {
    case PendingChange::Kind::MoveDisk:
        if (!isRecordPath(change.from) || !isRecordPath(change.to) || change.from == change.to)
            return std::nullopt;
        break;
    case PendingChange::Kind::DeleteDisk:
        if (!isRecordPath(change.from) || !change.to.isEmpty())
            return std::nullopt;
        break;
    case PendingChange::Kind::RenameCatalogue:
        if (!isCatalogueName(change.from) || !isCatalogueName(change.to) ||
            change.from == change.to || !lines->at(4).isEmpty())
            return std::nullopt;
        return change;
    }

    QByteArrayView suffixes = lines->at(4);
    while (!suffixes.isEmpty()) {
        const qsizetype blank = suffixes.indexOf(' ');
        const QByteArrayView suffix = blank == -1 ? suffixes : suffixes.first(blank);
        if (!isSuffix(suffix) || change.suffixes.contains(QLatin1String(suffix)))
            return std::nullopt;
        change.suffixes.append(QString::fromLatin1(suffix));
        suffixes = blank == -1 ? QByteArrayView() : suffixes.sliced(blank + 1);
        if (blank != -1 && suffixes.isEmpty())
            return std::nullopt; // a trailing blank
    }
    if (!change.suffixes.contains(QLatin1String(kInfoSuffix)))
        return std::nullopt;
    return change;
}

} // namespace dovrin
