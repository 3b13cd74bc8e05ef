#include "RecordNames.h"

namespace dovrin::scan {

namespace {

// True when a byte of the name needs a look-alike; the common case costs one pass.
bool needsMapping(QByteArrayView name)
{
    for (const char c : name) {
        if (c == '"' || c == '\\' || c == '\n' || c == '\r')
            return true;
    }
    return false;
}

void appendMapped(QByteArray& out, QByteArrayView name)
{
    for (const char c : name) {
        switch (c) {
        case '"':
            out.append("\xEF\xBC\x82");
            break;
        case '\\':
            out.append("\xEF\xBC\xBC");
            break;
        case '\n':
            out.append("\xE2\x90\xA4");
            break;
        case '\r':
            out.append("\xE2\x90\x8D");
            break;
        default:
            out.append(c);
        }
    }
}

void appendName(QByteArray& out, QByteArrayView name)
{
    if (needsMapping(name))
        appendMapped(out, name);
    else
        out.append(name);
}

} // namespace

void appendFileName(QByteArray& out, QByteArrayView name)
{
    if (!name.isEmpty() && name.front() == ':') {
        out.append("\xEF\xBC\x9A");
        name = name.sliced(1);
    }
    appendName(out, name);
}

QByteArray unmappedFileName(QByteArrayView recorded)
{
    static const struct
    {
        QByteArrayView lookAlike;
        char original;
    } kMapped[] = {{"\xEF\xBC\x82", '"'},
                   {"\xEF\xBC\xBC", '\\'},
                   {"\xE2\x90\xA4", '\n'},
                   {"\xE2\x90\x8D", '\r'}};
    QByteArray name = recorded.toByteArray();
    if (name.startsWith("\xEF\xBC\x9A"))
        name.replace(0, 3, ":");
    for (const auto& m : kMapped)
        name.replace(m.lookAlike, QByteArrayView(&m.original, 1));
    return name;
}

void appendFolderName(QByteArray& out, QByteArrayView name)
{
    appendName(out, name);
}

void appendFolderKey(QByteArray& out, QByteArrayView relativePath)
{
    out.append(':');
    if (!relativePath.isEmpty() && !relativePath.endsWith('/') && !needsMapping(relativePath)) {
        // The common case, in one pass: each "/" becomes a backslash.
        const qsizetype at = out.size();
        out.resize(at + 1 + relativePath.size());
        char* p = out.data() + at;
        *p++ = '\\';
        for (const char c : relativePath)
            *p++ = c == '/' ? '\\' : c;
        return;
    }
    while (!relativePath.isEmpty()) {
        const qsizetype slash = relativePath.indexOf('/');
        const QByteArrayView component = slash == -1 ? relativePath : relativePath.first(slash);
        out.append('\\');
        appendFolderName(out, component);
        relativePath = slash == -1 ? QByteArrayView() : relativePath.sliced(slash + 1);
    }
}

void appendEscapedPath(QByteArray& out, QByteArrayView path)
{
    // Copies the runs between the rare bytes that need an escape in one piece.
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c != '\\' && c != '\n' && c != '\r')
            continue;
        out.append(path.sliced(start, i - start));
        out.append(c == '\\' ? "\\\\" : c == '\n' ? "\\n" : "\\r");
        start = i + 1;
    }
    out.append(path.sliced(start));
}

QByteArray unescapePath(QByteArrayView line)
{
    if (!line.contains('\\'))
        return line.toByteArray();
    QByteArray out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            c = e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        }
        out.append(c);
    }
    return out;
}

} // namespace dovrin::scan
