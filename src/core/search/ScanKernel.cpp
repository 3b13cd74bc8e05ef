#include "ScanKernel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dovrin::search::kernel {

#if defined(__SSE2__)

namespace {

// The event bits of 16 bytes, and their folder-line bits in folder.
inline uint64_t masks16(const char* p, const Params& params, __m128i firstMask, __m128i firstValue,
                        __m128i lastMask, __m128i lastValue, uint64_t& folder)
{
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1));
    const __m128i lineStart = _mm_cmpeq_epi8(before, _mm_set1_epi8('\n'));
    const __m128i quoteStart = _mm_and_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), lineStart);
    // A line that does not begin with a quote, or begins with two.
    __m128i events =
        _mm_or_si128(_mm_andnot_si128(quoteStart, lineStart),
                     _mm_and_si128(quoteStart, _mm_cmpeq_epi8(x1, _mm_set1_epi8('"'))));
    const __m128i folderStart = _mm_and_si128(quoteStart, _mm_cmpeq_epi8(x1, _mm_set1_epi8(':')));
    folder = uint32_t(_mm_movemask_epi8(folderStart));
    if (params.needle) {
        const __m128i xn = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + params.lastOffset));
        const __m128i first = _mm_cmpeq_epi8(_mm_or_si128(x, firstMask), firstValue);
        const __m128i last = _mm_cmpeq_epi8(_mm_or_si128(xn, lastMask), lastValue);
        events = _mm_or_si128(events, _mm_and_si128(first, last));
    }
    uint64_t bits = uint32_t(_mm_movemask_epi8(events));
    if (params.high) {
        uint32_t high = uint32_t(_mm_movemask_epi8(x));
        if (params.upperToAsciiOnly) {
            // Rare enough to sort out byte by byte.
            for (uint32_t rest = high; rest; rest &= rest - 1) {
                const int k = __builtin_ctz(rest);
                if (!mayUpperToAscii(static_cast<unsigned char>(p[k]),
                                     static_cast<unsigned char>(p[k + 1])))
                    high &= ~(uint32_t(1) << k);
            }
        }
        bits |= high;
    }
    return bits;
}

} // namespace

size_t eventMasksGeneric(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    out.foldersBefore[0] = 0;
    size_t busy = 0;
    const __m128i firstMask = _mm_set1_epi8(char(params.firstMask));
    const __m128i firstValue = _mm_set1_epi8(char(params.firstValue));
    const __m128i lastMask = _mm_set1_epi8(char(params.lastMask));
    const __m128i lastValue = _mm_set1_epi8(char(params.lastValue));
    for (size_t c = 0; c < chunks; ++c) {
        const char* p = data + c * 64;
        uint64_t bits = 0;
        uint64_t folderBits = 0;
        for (int k = 0; k < 4; ++k) {
            uint64_t folder;
            bits |= masks16(p + k * 16, params, firstMask, firstValue, lastMask, lastValue, folder)
                    << (k * 16);
            folderBits |= folder << (k * 16);
        }
        out.events[c] = bits;
        out.busy[busy] = uint32_t(c);
        busy += bits != 0;
        out.folders[c] = folderBits;
        out.foldersBefore[c + 1] =
            out.foldersBefore[c] + uint32_t(__builtin_popcountll(folderBits));
    }
    return busy;
}

#else

size_t eventMasksGeneric(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    return eventMasksPortable(data, chunks, params, out);
}

#endif

bool mayUpperToAscii(unsigned char byte, unsigned char next)
{
    return (kUpperToAsciiLeadHigh[byte >> 4] & kUpperToAsciiLeadLow[byte & 15] &
            kUpperToAsciiNextHigh[next >> 4]) != 0;
}

size_t eventMasksPortable(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    out.foldersBefore[0] = 0;
    size_t busy = 0;
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    for (size_t c = 0; c < chunks; ++c) {
        uint64_t bits = 0;
        uint64_t folderBits = 0;
        for (int k = 0; k < 64; ++k) {
            const unsigned char* p = u + c * 64 + k;
            bool event = p[-1] == '\n' && (p[0] != '"' || p[1] == '"');
            if (params.high && p[0] >= 0x80 &&
                (!params.upperToAsciiOnly || mayUpperToAscii(p[0], p[1])))
                event = true;
            if (params.needle && (p[0] | params.firstMask) == params.firstValue &&
                (p[params.lastOffset] | params.lastMask) == params.lastValue)
                event = true;
            if (event)
                bits |= uint64_t(1) << k;
            if (p[-1] == '\n' && p[0] == '"' && p[1] == ':')
                folderBits |= uint64_t(1) << k;
        }
        out.events[c] = bits;
        out.busy[busy] = uint32_t(c);
        busy += bits != 0;
        out.folders[c] = folderBits;
        out.foldersBefore[c + 1] =
            out.foldersBefore[c] + uint32_t(__builtin_popcountll(folderBits));
    }
    return busy;
}

#if !defined(__x86_64__)
size_t eventMasksAvx2(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    return eventMasksGeneric(data, chunks, params, out);
}

bool haveAvx2()
{
    return false;
}
#else
bool haveAvx2()
{
    return __builtin_cpu_supports("avx2");
}
#endif

size_t eventMasks(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    static const bool avx2 = haveAvx2();
    return avx2 ? eventMasksAvx2(data, chunks, params, out)
                : eventMasksGeneric(data, chunks, params, out);
}

} // namespace dovrin::search::kernel
