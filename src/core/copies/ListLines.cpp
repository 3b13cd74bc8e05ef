#include "ListLines.h"

#include "store/RecordText.h"

#include <QFile>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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
    if (comma == -1)
        return {};
    rest = rest.sliced(comma + 1);
    const qsizetype end = rest.indexOf(',');
    return (end == -1 ? rest : rest.first(end)).trimmed();
}

} // namespace

void ListLines::loadWindow(size_t firstChunk)
{
    m_windowStart = firstChunk;
    m_windowChunks = 0;
    for (const char* chunk = m_begin + firstChunk * 64;
         chunk < m_end && m_windowChunks < kWindowChunks; chunk += 64, ++m_windowChunks) {
        uint64_t lineFeeds = 0;
        uint64_t quotes = 0;
#if defined(__SSE2__)
        if (m_end - chunk >= 64) {
            const __m128i lf = _mm_set1_epi8('\n');
            const __m128i quote = _mm_set1_epi8('"');
            for (int i = 0; i < 4; ++i) {
                const __m128i bytes =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16 * i));
                lineFeeds |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf))))
                             << (16 * i);
                quotes |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, quote))))
                          << (16 * i);
            }
            m_lineFeeds[m_windowChunks] = lineFeeds;
            m_quotes[m_windowChunks] = quotes;
            continue;
        }
#endif
        const qsizetype n = qMin<qsizetype>(64, m_end - chunk);
        for (qsizetype i = 0; i < n; ++i) {
            lineFeeds |= uint64_t(chunk[i] == '\n') << i;
            quotes |= uint64_t(chunk[i] == '"') << i;
        }
        m_lineFeeds[m_windowChunks] = lineFeeds;
        m_quotes[m_windowChunks] = quotes;
    }
}

const char* ListLines::findMarked(bool quote, const char* p, const char* limit)
{
    while (p < limit) {
        const size_t offset = size_t(p - m_begin);
        const size_t chunk = offset / 64;
        if (chunk < m_windowStart || chunk >= m_windowStart + m_windowChunks)
            loadWindow(chunk);
        const size_t index = chunk - m_windowStart;
        const uint64_t bits = (quote ? m_quotes[index] : m_lineFeeds[index]) >> (offset % 64);
        if (bits) {
            const char* hit = p + __builtin_ctzll(bits);
            return hit < limit ? hit : limit;
        }
        p = m_begin + (chunk + 1) * 64;
    }
    return limit;
}

bool ListLines::next(ListLine& line)
{
    if (m_p >= m_end)
        return false;
    const char* begin = m_p;
    const char* eol = findMarked(false, begin, m_end);
    m_p = eol + 1;
    const char* end = eol > begin && eol[-1] == '\r' ? eol - 1 : eol;
    if (begin < end && *begin == '"') {
        const char* close = findMarked(true, begin + 1, end);
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
    // After a quoted name the comma is the next byte; otherwise look for it.
    if (end - p > 1 && p[0] == '"' && p[1] == ',')
        ++p;
    else
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
    if (comma == -1)
        return RecordDateTime::zero();
    const auto parsed = RecordDateTime::parse(fieldAfterComma(rest.sliced(comma + 1)));
    return parsed ? *parsed : RecordDateTime::zero();
}

bool WholeFile::read(const QString& nativePath)
{
    m_size = 0;
    const int fd = ::open(QFile::encodeName(nativePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    qsizetype want = ok ? qsizetype(st.st_size) + 1 : 0;
    while (ok) {
        if (want > m_capacity) {
            std::unique_ptr<char[]> bigger(new char[size_t(want)]);
            if (m_size > 0) // the first buffer has nothing to carry over, and may be null
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
