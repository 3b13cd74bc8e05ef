// The AVX2 build of the search's inner loop, with the bit count that every processor with
// AVX2 has. Only this file is compiled for them, and it includes no library header, so no shared
// inline code is ever built for it by accident.
#include "ScanKernel.h"

#if defined(__x86_64__)

#include <immintrin.h>
// gcc takes the target for the rest of the file; clang needs it on each function.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,popcnt"))), apply_to = function)
#else
#pragma GCC target("avx2,popcnt")
#endif

namespace dovrin::search::kernel {

namespace {

// The bytes of x that may begin a character whose upper case holds ASCII letters, looked up
// by their halves and the next byte's high half in the three tables.
inline uint32_t upperToAscii(__m256i x, __m256i x1)
{
    const __m256i halves = _mm256_set1_epi8(0x0F);
    const __m256i leadHigh = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kUpperToAsciiLeadHigh)));
    const __m256i leadLow = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kUpperToAsciiLeadLow)));
    const __m256i nextHigh = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kUpperToAsciiNextHigh)));
    const __m256i rows = _mm256_and_si256(
        _mm256_and_si256(
            _mm256_shuffle_epi8(leadHigh, _mm256_and_si256(_mm256_srli_epi16(x, 4), halves)),
            _mm256_shuffle_epi8(leadLow, _mm256_and_si256(x, halves))),
        _mm256_shuffle_epi8(nextHigh, _mm256_and_si256(_mm256_srli_epi16(x1, 4), halves)));
    return ~uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(rows, _mm256_setzero_si256())));
}

// The event bits of 32 bytes, and their folder-line bits in folder.
inline uint64_t masks32(const char* p, const Params& params, __m256i firstMask, __m256i firstValue,
                        __m256i lastMask, __m256i lastValue, uint64_t& folder)
{
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 1));
    const __m256i lineStart = _mm256_cmpeq_epi8(before, _mm256_set1_epi8('\n'));
    const __m256i quoteStart =
        _mm256_and_si256(_mm256_cmpeq_epi8(x, _mm256_set1_epi8('"')), lineStart);
    // A line that does not begin with a quote, or begins with two.
    __m256i events =
        _mm256_or_si256(_mm256_andnot_si256(quoteStart, lineStart),
                        _mm256_and_si256(quoteStart, _mm256_cmpeq_epi8(x1, _mm256_set1_epi8('"'))));
    const __m256i folderStart =
        _mm256_and_si256(quoteStart, _mm256_cmpeq_epi8(x1, _mm256_set1_epi8(':')));
    folder = uint32_t(_mm256_movemask_epi8(folderStart));
    if (params.needle) {
        const __m256i xn =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + params.lastOffset));
        const __m256i first = _mm256_cmpeq_epi8(_mm256_or_si256(x, firstMask), firstValue);
        const __m256i last = _mm256_cmpeq_epi8(_mm256_or_si256(xn, lastMask), lastValue);
        events = _mm256_or_si256(events, _mm256_and_si256(first, last));
    }
    uint64_t bits = uint32_t(_mm256_movemask_epi8(events));
    if (params.high) {
        const uint32_t high = uint32_t(_mm256_movemask_epi8(x));
        bits |= high && params.upperToAsciiOnly ? upperToAscii(x, x1) : high;
    }
    return bits;
}

} // namespace

size_t eventMasksAvx2(const char* data, size_t chunks, const Params& params, const Masks& out)
{
    out.foldersBefore[0] = 0;
    size_t busy = 0;
    const __m256i firstMask = _mm256_set1_epi8(char(params.firstMask));
    const __m256i firstValue = _mm256_set1_epi8(char(params.firstValue));
    const __m256i lastMask = _mm256_set1_epi8(char(params.lastMask));
    const __m256i lastValue = _mm256_set1_epi8(char(params.lastValue));
    for (size_t c = 0; c < chunks; ++c) {
        const char* p = data + c * 64;
        uint64_t lowFolder, highFolder;
        const uint64_t low =
            masks32(p, params, firstMask, firstValue, lastMask, lastValue, lowFolder);
        const uint64_t high =
            masks32(p + 32, params, firstMask, firstValue, lastMask, lastValue, highFolder);
        const uint64_t events = low | (high << 32);
        out.events[c] = events;
        out.busy[busy] = uint32_t(c);
        busy += events != 0;
        const uint64_t folderBits = lowFolder | (highFolder << 32);
        out.folders[c] = folderBits;
        out.foldersBefore[c + 1] =
            out.foldersBefore[c] + uint32_t(__builtin_popcountll(folderBits));
    }
    return busy;
}

} // namespace dovrin::search::kernel

#if defined(__clang__)
#pragma clang attribute pop
#endif

#endif
