#include "ListLines.h"

#include "store/RecordText.h"

#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::copies {

namespace {

inline const char* find(const char* from, const char* end, char c)
{
    const void* hit = std::memchr(from, c, size_t(end - from));
    return hit ? static_cast<const char*>(hit) : end;
}

// The field that begins after the comma at `rest[0]`, up to the next comma.
QByteArrayView fieldAfterComma(QByteArrayView rest)
{
    const qsizetype comma = rest.indexOf(',');
    if (comma < 0)
        return {};
    rest = rest.sliced(comma + 1);
    const qsizetype end = rest.indexOf(',');
    return (end < 0 ? rest : rest.first(end)).trimmed();
}

} // namespace

bool ListLines::next(ListLine& line)
{
    if (m_p >= m_end)
        return false;
    const char* begin = m_p;
    const char* eol = find(begin, m_end, '\n');
    m_p = eol + 1;
    const char* end = eol > begin && eol[-1] == '\r' ? eol - 1 : eol;
    if (begin < end && *begin == '"') {
        const char* close = find(begin + 1, end, '"');
        line.name = QByteArrayView(begin + 1, close - begin - 1);
        line.rest = QByteArrayView(close, end - close);
    } else {
        const char* comma = find(begin, end, ',');
        line.name = QByteArrayView(begin, comma - begin).trimmed();
        line.rest = QByteArrayView(comma, end - comma);
    }
    if (line.name.isEmpty())
        return false;
    line.folder = line.name.front() == ':';
    return true;
}

qint64 sizeOf(QByteArrayView rest)
{
    // The common form, digits between two commas, without building a field.
    const char* p = rest.data();
    const char* end = p + rest.size();
    p = find(p, end, ',');
    if (p < end) {
        ++p;
        qint64 value = 0;
        const char* digits = p;
        while (p < end && *p >= '0' && *p <= '9' && p - digits < 18)
            value = value * 10 + (*p++ - '0');
        if (p > digits && (p == end || *p == ','))
            return value;
    }
    qint64 value = 0;
    return fields::parseSize(fieldAfterComma(rest), value) ? value : 0;
}

RecordDateTime modifiedOf(QByteArrayView rest)
{
    const qsizetype comma = rest.indexOf(',');
    if (comma < 0)
        return RecordDateTime::zero();
    const auto parsed = RecordDateTime::parse(fieldAfterComma(rest.sliced(comma + 1)));
    return parsed ? *parsed : RecordDateTime::zero();
}

bool WholeFile::read(const QString& nativePath)
{
    m_size = 0;
    const int fd = ::open(QFile::encodeName(nativePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    qsizetype want = ok ? qsizetype(st.st_size) + 1 : 0;
    while (ok) {
        if (want > m_capacity) {
            std::unique_ptr<char[]> bigger(new char[size_t(want)]);
            std::memcpy(bigger.get(), m_buffer.get(), size_t(m_size));
            m_buffer = std::move(bigger);
            m_capacity = want;
        }
        const ssize_t got = ::read(fd, m_buffer.get() + m_size, size_t(m_capacity - m_size));
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        if (got == 0)
            break;
        m_size += got;
        if (m_size == m_capacity)
            want = m_capacity * 2; // the file grew since it was looked at
    }
    ::close(fd);
    if (!ok)
        m_size = 0;
    return ok;
}

} // namespace dovrin::copies
