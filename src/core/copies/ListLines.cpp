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

inline uint64_t ListLines::lineFeeds(const char* from, size_t n)
{
    uint64_t bits = 0;
#if defined(__SSE2__)
    if (n >= 64) {
        const __m128i feed = _mm_set1_epi8('\n');
        for (int i = 0; i < 4; ++i) {
            const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * i));
            bits |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(part, feed)))) << (16 * i);
        }
        return bits;
    }
#endif
    for (size_t i = 0; i < qMin<size_t>(n, 64); ++i)
        bits |= uint64_t(from[i] == '\n') << i;
    return bits;
}

void ListLines::refill()
{
    m_count = 0;
    m_at = 0;
    const size_t size = size_t(m_end - m_begin);
    while (m_count == 0 && m_scanned < size) {
        m_batch = m_begin + m_scanned;
        const size_t batch = qMin(kBatchBytes, size - m_scanned);
        uint32_t n = 0;
        for (size_t chunk = 0; chunk < batch; chunk += 64) {
            uint64_t bits = lineFeeds(m_batch + chunk, batch - chunk);
            // Four offsets are written whatever the count, and only the line feeds counted:
            // a chunk rarely holds more than two line ends, and no branch hangs on how many.
            for (int k = 0; k < 4; ++k) {
                m_feeds[n] = uint16_t(chunk + size_t(bits ? __builtin_ctzll(bits) : 0));
                n += bits != 0;
                bits &= bits - 1;
            }
            for (; bits; bits &= bits - 1)
                m_feeds[n++] = uint16_t(chunk + size_t(__builtin_ctzll(bits)));
        }
        m_count = n;
        m_scanned += batch;
    }
}

qint64 detail::sizeOfSlowly(QByteArrayView rest)
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
