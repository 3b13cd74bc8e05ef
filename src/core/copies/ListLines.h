#pragma once

#include "store/RecordDateTime.h"

#include <QByteArrayView>
#include <QString>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dovrin::copies {

// One line of a file-list file: a folder line (its key) or a file line (name, size, date).
struct ListLine
{
    bool folder = false;
    QByteArrayView name; // the folder key or the file name, as stored
    QByteArrayView rest; // what follows the first field: ",1234,#2026-03-01 10:15:00#"
};

// The lines of a file-list file held in memory, read as the search reads them: one item a
// line, its first field quoted or bare; a blank line or an empty first field ends the list.
// Line feeds are found a batch of 64-byte chunks at a time, through bit masks built 16 bytes
// at a time, and kept as a list of offsets; a name's closing quote is found with one 32-byte
// comparison. So the lines of a batch are read without a branch that depends on the one
// before, and ten million short lines cost no library call each.
class ListLines
{
public:
    explicit ListLines(QByteArrayView data)
        : m_begin(data.data()), m_p(data.data()), m_end(data.data() + data.size())
    {
    }
    Q_ALWAYS_INLINE bool next(ListLine& line);
    // Where the next line begins, from the start of the data.
    size_t offset() const { return size_t(m_p - m_begin); }

private:
    static constexpr size_t kBatchChunks = 16;
    static constexpr size_t kBatchBytes = kBatchChunks * 64;

    // A bit for each line feed in the 64 bytes at `from`, of which only `n` are data.
    static uint64_t lineFeeds(const char* from, size_t n);
    // Lists the line feeds of the next batch of chunks, and of more until one is found or the
    // data ends.
    void refill();
    inline const char* nextLineFeed();
    // The first quote in [from, limit), or limit.
    inline const char* closingQuote(const char* from, const char* limit) const;

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    const char* m_batch = nullptr; // where the listed offsets count from
    size_t m_scanned = 0;          // the bytes whose line feeds have been listed
    uint32_t m_count = 0;
    uint32_t m_at = 0;
    // The line feeds' offsets from m_batch; room for a batch of nothing else, and for the
    // four entries written past the last.
    uint16_t m_feeds[kBatchBytes + 4];
};

// The size of a file line (its second field); 0 when it does not read as one.
inline qint64 sizeOf(QByteArrayView rest);
// The modified date-time of a file line (its third field); the zero date when it has none.
RecordDateTime modifiedOf(QByteArrayView rest);

// A whole file read into memory through one buffer that is reused from file to file.
class WholeFile
{
public:
    // False when the file cannot be opened or read; data() is then empty.
    bool read(const QString& nativePath);
    QByteArrayView data() const { return {m_buffer.get(), m_size}; }

private:
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
};

namespace detail {
qint64 sizeOfSlowly(QByteArrayView rest);
// The value of eight ASCII digits, the first in the lowest byte.
inline uint64_t eightDigits(uint64_t digits)
{
    digits -= 0x3030303030303030ull;
    digits = digits * 10 + (digits >> 8);
    return ((digits & 0x000000FF000000FFull) * (100 + (1000000ull << 32)) +
            ((digits >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32))) >>
           32;
}
} // namespace detail

inline const char* ListLines::nextLineFeed()
{
    if (m_at == m_count) {
        refill();
        if (m_count == 0)
            return m_end; // the last line has no line feed
    }
    return m_batch + m_feeds[m_at++];
}

inline const char* ListLines::closingQuote(const char* from, const char* limit) const
{
    const char* scanFrom = from;
#if defined(__SSE2__)
    if (m_end - from >= 32) {
        const __m128i quote = _mm_set1_epi8('"');
        const uint32_t low = uint32_t(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), quote)));
        const uint32_t high = uint32_t(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16)), quote)));
        if (const uint32_t bits = low | high << 16) {
            const char* hit = from + __builtin_ctz(bits);
            return hit < limit ? hit : limit;
        }
        scanFrom = from + 32; // a name of 32 bytes or more
    }
#endif
    if (limit <= scanFrom)
        return limit;
    const void* hit = std::memchr(scanFrom, '"', size_t(limit - scanFrom));
    return hit ? static_cast<const char*>(hit) : limit;
}

Q_ALWAYS_INLINE bool ListLines::next(ListLine& line)
{
    if (m_p >= m_end)
        return false;
    const char* begin = m_p;
    const char* eol = nextLineFeed();
    m_p = eol + 1;
    const char* end = eol > begin && eol[-1] == '\r' ? eol - 1 : eol;
    if (begin < end && *begin == '"') {
        const char* close = closingQuote(begin + 1, end);
        line.name = QByteArrayView(begin + 1, close - begin - 1);
        line.rest = QByteArrayView(close, end - close);
    } else {
        const void* comma = std::memchr(begin, ',', size_t(end - begin));
        const char* stop = comma ? static_cast<const char*>(comma) : end;
        line.name = QByteArrayView(begin, stop - begin).trimmed();
        line.rest = QByteArrayView(stop, end - stop);
    }
    if (line.name.isEmpty())
        return false;
    line.folder = line.name.front() == ':';
    return true;
}

inline qint64 sizeOf(QByteArrayView rest)
{
    // The common form after a quoted name, `",1234,`, read eight digits at a time.
    const char* p = rest.data();
    if (rest.size() >= 11 && p[0] == '"' && p[1] == ',') {
        uint64_t bytes;
        std::memcpy(&bytes, p + 2, 8);
        // A byte is a digit when its high half is 3 and adding 6 to its low half does not
        // carry; a carry out of a byte that is no digit only spoils the bytes after it.
        const uint64_t high = (bytes & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull;
        const uint64_t low =
            ((bytes + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull;
        const uint64_t wrong = high | low;
        const uint64_t flagged =
            (((wrong & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | wrong) &
            0x8080808080808080ull;
        const int digits = std::countr_zero(flagged) / 8; // 8 when all are digits
        if (digits > 0 && p[2 + digits] == ',') {
            // Moved to the high end behind leading zeros, without a branch on the count.
            const uint64_t zeros = digits == 8 ? 0 : 0x3030303030303030ull >> (8 * digits);
            return qint64(detail::eightDigits(bytes << (8 * (8 - digits)) | zeros));
        }
    }
    return detail::sizeOfSlowly(rest);
}

} // namespace dovrin::copies
