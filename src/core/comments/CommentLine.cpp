#include "CommentLine.h"

#include "store/RecordText.h"

#include <cstring>

namespace dovrin::comments {

namespace {

constexpr QByteArrayView kSeparator = "\",\"";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the separator first stands at `from` or after, -1 when nowhere: found by its comma,
// the rarest of its bytes, which memchr finds fast.
qsizetype findSeparator(QByteArrayView text, qsizetype from)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = begin + from + 1; p < end - 1;) {
        const void* comma = std::memchr(p, ',', size_t(end - 1 - p));
        if (!comma)
            return -1;
        p = static_cast<const char*>(comma);
        if (p[-1] == '"' && p[1] == '"')
            return p - 1 - begin;
        ++p;
    }
    return -1;
}

} // namespace

CommentLine parseCommentLine(QByteArrayView line)
{
    CommentLine result;
    result.raw = line;
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    if (begin == end)
        return result;

    result.kind = CommentLine::Unreadable;
    const QByteArrayView body = line.sliced(begin, end - begin);
    // The shortest entry is "","" (five characters).
    if (body.size() < 5 || body.front() != '"' || body.back() != '"')
        return result;
    const QByteArrayView inner = body.sliced(1, body.size() - 2);
    const qsizetype separator = findSeparator(inner, 0);
    // One separator only: a second one (a hand-edited comment holding quotes) leaves it open
    // which comma splits the fields.
    if (separator == -1 || findSeparator(inner, separator + 1) != -1)
        return result;
    result.kind = CommentLine::Entry;
    result.key = inner.first(separator);
    result.comment = inner.sliced(separator + kSeparator.size());
    return result;
}

void appendCommentLine(QByteArray& out, QByteArrayView key, QByteArrayView comment)
{
    write::quoted(out, key);
    write::comma(out);
    write::quoted(out, comment);
    write::lineEnd(out);
}

QString storableComment(QString comment)
{
    comment.replace(QLatin1Char('"'), QLatin1Char('\''));
    comment.replace(QLatin1Char('\r'), QLatin1Char(' '));
    comment.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return comment;
}

bool keyIsStorable(QByteArrayView key)
{
    if (key.contains('\r') || key.contains('\n'))
        return false;
    // Comments hold no double quote, so a key that reads back beside an empty comment reads
    // back beside any comment.
    QByteArray line;
    appendCommentLine(line, key, {});
    const CommentLine parsed = parseCommentLine(QByteArrayView(line).chopped(2));
    return parsed.kind == CommentLine::Entry && parsed.key == key;
}

} // namespace dovrin::comments
