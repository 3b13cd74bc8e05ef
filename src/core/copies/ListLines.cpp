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

uint64_t ListLines::mask(char c, size_t chunk) const
{
    const char* bytes = m_begin + chunk * 64;
    uint64_t bits = 0;
#if defined(__SSE2__)
    if (m_end - bytes >= 64) {
        const __m128i wanted = _mm_set1_epi8(c);
        for (int i = 0; i < 4; ++i) {
            const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * i));
            bits |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(part, wanted)))) << (16 * i);
        }
        return bits;
    }
#endif
    const qsizetype n = qMin<qsizetype>(64, m_end - bytes);
    for (qsizetype i = 0; i < n; ++i)
        bits |= uint64_t(bytes[i] == c) << i;
    return bits;
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
