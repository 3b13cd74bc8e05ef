#pragma once

#include "store/RecordDateTime.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>

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
// Line feeds and quotes are found through bit masks of the data's 64-byte chunks, built 16
// bytes at a time and taken one bit at a time: ten million short lines cost no library call
// each. Both searches only move forward, so each chunk's masks are built once.
class ListLines
{
public:
    explicit ListLines(QByteArrayView data)
        : m_begin(data.data()), m_p(data.data()), m_end(data.data() + data.size())
    {
        if (m_begin < m_end) {
            m_lineFeeds.bits = mask('\n', 0);
            m_quotes.bits = mask('"', 0);
        }
    }
    Q_ALWAYS_INLINE bool next(ListLine& line);
    // Where the next line begins, from the start of the data.
    size_t offset() const { return size_t(m_p - m_begin); }

private:
    // The bits of one byte value in a chunk, from some position on.
    struct Stream
    {
        size_t chunk = 0;
        uint64_t bits = 0;
    };

    // A bit for each byte equal to c in the 64-byte chunk that begins at chunk * 64.
    uint64_t mask(char c, size_t chunk) const;
    inline const char* nextLineFeed();
    // The first quote in [from, limit), or limit. Calls come with `from` never decreasing.
    inline const char* nextQuote(const char* from, const char* limit);

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    Stream m_lineFeeds; // its bits are the line feeds at or after m_p
    Stream m_quotes;
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
    while (m_lineFeeds.bits == 0) {
        const size_t next = m_lineFeeds.chunk + 1;
        if (next * 64 >= size_t(m_end - m_begin))
            return m_end;
        m_lineFeeds = Stream{next, mask('\n', next)};
    }
    const char* hit = m_begin + m_lineFeeds.chunk * 64 + size_t(__builtin_ctzll(m_lineFeeds.bits));
    m_lineFeeds.bits &= m_lineFeeds.bits - 1;
    return hit;
}

inline const char* ListLines::nextQuote(const char* from, const char* limit)
{
    const size_t offset = size_t(from - m_begin);
    const size_t chunk = offset / 64;
    const uint64_t fromBit = ~uint64_t(0) << (offset % 64);
    if (chunk > m_quotes.chunk)
        m_quotes = Stream{chunk, mask('"', chunk) & fromBit};
    else if (chunk == m_quotes.chunk)
        m_quotes.bits &= fromBit;
    // A later chunk holds no quote before `from`: the search that moved there found none.
    while (m_quotes.bits == 0) {
        const size_t next = m_quotes.chunk + 1;
        if (m_begin + next * 64 >= limit)
            return limit;
        m_quotes = Stream{next, mask('"', next)};
    }
    const char* hit = m_begin + m_quotes.chunk * 64 + size_t(__builtin_ctzll(m_quotes.bits));
    return hit < limit ? hit : limit;
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
        const char* close = nextQuote(begin + 1, end);
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
        const int digits = flagged ? __builtin_ctzll(flagged) / 8 : 8;
        if (digits > 0 && p[2 + digits] == ',') {
            if (digits < 8) // moved to the high end behind leading zeros
                bytes = bytes << (8 * (8 - digits)) | 0x3030303030303030ull >> (8 * digits);
            return qint64(detail::eightDigits(bytes));
        }
    }
    return detail::sizeOfSlowly(rest);
}

} // namespace dovrin::copies
