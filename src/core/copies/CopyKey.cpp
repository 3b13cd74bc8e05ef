#include "CopyKey.h"

#include "store/TextCodec.h"

#include <QString>
#include <array>
#include <cstring>

namespace dovrin::copies {

namespace {

// The upper-cased UTF-8 of every character written in two UTF-8 bytes (U+0080 to U+07FF:
// Latin letters with marks, Greek, Cyrillic, Hebrew, Arabic), as the locale-free upper-casing
// gives it for the character alone. A character may upper-case to three ("ΐ"); one whose
// form does not fit is marked with length 0 and sends its name the slow way.
struct TwoByteUpper
{
    uint8_t length;
    char bytes[7];
};
constexpr char32_t kTwoByteFirst = 0x80;
constexpr size_t kTwoByteCount = 0x800 - kTwoByteFirst;

const std::array<TwoByteUpper, kTwoByteCount>& twoByteUpper()
{
    static const auto table = [] {
        std::array<TwoByteUpper, kTwoByteCount> t{};
        for (size_t i = 0; i < kTwoByteCount; ++i) {
            const char32_t c = kTwoByteFirst + char32_t(i);
            const QByteArray upper = QString(QChar(c)).toUpper().toUtf8();
            if (upper.size() <= qsizetype(sizeof t[i].bytes)) {
                t[i].length = uint8_t(upper.size());
                std::memcpy(t[i].bytes, upper.constData(), size_t(upper.size()));
            }
        }
        return t;
    }();
    return table;
}

// Upper-cases a name of ASCII and two-byte UTF-8 characters through the table into `out`,
// which has room for three bytes a byte of the name; false, with `out` spoiled, for any
// other byte.
bool foldTwoByte(QByteArrayView name, char* out, qsizetype& length)
{
    const auto& table = twoByteUpper();
    const auto* in = reinterpret_cast<const unsigned char*>(name.data());
    const qsizetype n = name.size();
    char* o = out;
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = in[i];
        if (c < 0x80) {
            *o++ = c >= 'a' && c <= 'z' ? char(c - 32) : char(c);
            ++i;
            continue;
        }
        if (c < 0xC2 || c > 0xDF || i + 1 == n || (in[i + 1] & 0xC0) != 0x80)
            return false; // three or four bytes, or not UTF-8 at all
        const TwoByteUpper& upper =
            table[(size_t(c & 0x1F) << 6 | size_t(in[i + 1] & 0x3F)) - kTwoByteFirst];
        if (upper.length == 0)
            return false;
        std::memcpy(o, upper.bytes, sizeof upper.bytes);
        o += upper.length;
        i += 2;
    }
    length = o - out;
    return true;
}

constexpr uint64_t kEachByte = 0x0101010101010101ull;

// Upper-cases the ASCII letters of eight bytes at once; other bytes stay as they are.
inline uint64_t upperAscii8(uint64_t w)
{
    const uint64_t low7 = w & (0x7F * kEachByte);
    const uint64_t fromA = low7 + (0x80 - 'a') * kEachByte;     // top bit: the byte >= 'a'
    const uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kEachByte; // top bit: the byte > 'z'
    const uint64_t lower = fromA & ~pastZ & ~w & (0x80 * kEachByte);
    return w - (lower >> 2); // 0x80 >> 2 is the 0x20 between a letter's two cases
}

uint64_t seedOf(qsizetype length, qint64 size)
{
    return uint64_t(size) * kGolden ^ uint64_t(length);
}

// Hashes the bytes with their ASCII letters upper-cased, eight at a time, and ors every byte
// into `seen`, where a byte above 0x7F shows. Upper-casing what is upper-cased already changes
// nothing, so a folded name hashes alike whether it comes folded or not.
inline uint64_t hashUpper(QByteArrayView bytes, uint64_t h, uint64_t& seen)
{
    const auto mix = [&h, &seen](uint64_t w) {
        seen |= w;
        h = (h ^ upperAscii8(w)) * kGolden;
        h ^= h >> 29;
    };
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        mix(w);
    }
    if (i < n) {
        // The last eight bytes, overlapping what is done already; or the few there are.
        uint64_t w = 0;
        std::memcpy(&w, n >= 8 ? p + n - 8 : p, size_t(n >= 8 ? 8 : n));
        mix(w);
    }
    h ^= h >> 32;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

} // namespace

QByteArrayView NameFolder::fold(QByteArrayView name, QByteArray& scratch) const
{
    const qsizetype n = name.size();
    if (m_caser.asciiIsPlain()) {
        // Folded and checked for ASCII in one pass, eight bytes at a time.
        if (scratch.size() < n)
            scratch.resize(n);
        char* const out = scratch.data();
        const char* const in = name.data();
        uint64_t seen = 0;
        qsizetype i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t w;
            std::memcpy(&w, in + i, 8);
            seen |= w;
            w = upperAscii8(w);
            std::memcpy(out + i, &w, 8);
        }
        if (i < n && n >= 8) {
            // The last eight bytes, overlapping what is done already.
            uint64_t w;
            std::memcpy(&w, in + n - 8, 8);
            seen |= w;
            w = upperAscii8(w);
            std::memcpy(out + n - 8, &w, 8);
            i = n;
        }
        for (; i < n; ++i) {
            const char c = in[i];
            seen |= static_cast<unsigned char>(c);
            out[i] = c >= 'a' && c <= 'z' ? char(c - 32) : c;
        }
        if ((seen & (0x80 * kEachByte)) == 0)
            return QByteArrayView(out, n);
    }
    if (m_caser.isPerCharacter()) {
        // Room for three bytes a byte, and for the table's last copy of seven.
        if (scratch.size() < 3 * n + 8)
            scratch.resize(3 * n + 8);
        qsizetype length = 0;
        if (foldTwoByte(name, scratch.data(), length))
            return QByteArrayView(scratch.constData(), length);
    }
    scratch = m_caser.upper(text::decode(name)).toUtf8();
    return scratch;
}

uint64_t NameFolder::key(QByteArrayView name, qint64 size, RecordDateTime modified, bool withDate,
                         QByteArray& scratch) const
{
    const uint64_t dateSeed =
        withDate ? uint64_t(modified.seconds()) * 0xC2B2AE3D27D4EB4Full + 1 : 0;
    if (m_caser.asciiIsPlain()) {
        uint64_t seen = 0;
        const uint64_t key = hashUpper(name, seedOf(name.size(), size) ^ dateSeed, seen);
        if ((seen & (0x80 * kEachByte)) == 0)
            return key;
    }
    const QByteArrayView folded = fold(name, scratch);
    uint64_t seen = 0;
    return hashUpper(folded, seedOf(folded.size(), size) ^ dateSeed, seen);
}

} // namespace dovrin::copies
