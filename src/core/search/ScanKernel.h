#pragma once

// The inner loop of the file-list search, in plain C++ so that it can be built for several
// instruction sets without pulling library headers into those builds.

#include <cstddef>
#include <cstdint>

namespace dovrin::search::kernel {

struct Params
{
    // The needle's first and last bytes match where (byte | mask) == value: a letter is
    // matched in both cases with mask 0x20, any other byte exactly with mask 0.
    unsigned char firstMask = 0;
    unsigned char firstValue = 0;
    unsigned char lastMask = 0;
    unsigned char lastValue = 0;
    int lastOffset = 0;  // needle length - 1
    bool needle = false; // report needle candidates
    bool high = false;   // report bytes >= 0x80
    // With high: report only the bytes >= 0x80 that may begin a character whose upper case
    // holds ASCII letters (see mayUpperToAscii).
    bool upperToAsciiOnly = false;
};

// Whether a byte >= 0x80 followed by next may begin a character whose upper case holds ASCII
// letters: C3 9x (ß), C4 Bx (ı), C5 Bx (ſ), C5 8x (ŉ), C7 Bx (ǰ), E1 Bx (ẖ to ẚ), EF Ax (the
// ligatures ﬀ to ﬆ), and DF, which is ß in a Windows-1252 record. A few other characters of
// those rows pass too; the caller looks closer. Each set bit of the three tables below is one
// of these rows: a byte pair belongs to a row when the row's bit is set for the first byte's
// high and low halves and the second byte's high half.
constexpr unsigned char kUpperToAsciiLeadHigh[16] = {0, 0, 0, 0, 0,    0,    0,    0,
                                                     0, 0, 0, 0, 0x07, 0x20, 0x18, 0};
constexpr unsigned char kUpperToAsciiLeadLow[16] = {0, 0x08, 0, 0x01, 0x02, 0x06, 0, 0x02,
                                                    0, 0,    0, 0,    0,    0,    0, 0x30};
constexpr unsigned char kUpperToAsciiNextHigh[16] = {
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x24, 0x21, 0x30, 0x2A, 0x20, 0x20, 0x20, 0x20};
bool mayUpperToAscii(unsigned char byte, unsigned char next);

// Where a block's bits go, an entry per 64-byte chunk c of data[0, chunks * 64):
// - events[c]: a bit per byte where something may begin:
//   - a line that begins with two quotes (an empty item) or with no quote (a blank line, or
//     one of another format);
//   - a byte >= 0x80 (when params.high; only some with params.upperToAsciiOnly);
//   - a position where the needle's first and last bytes fit (when params.needle);
// - folders[c]: a bit per line that begins with a quote and ":" (a folder line);
// - foldersBefore[c]: how many folder lines begin in the chunks before c, for every c up to
//   chunks itself;
// - busy: the chunks whose events are not all zero, in order. Events are rare, and the walk
//   that follows looks only at these.
struct Masks
{
    uint64_t* events;
    uint64_t* folders;
    uint32_t* foldersBefore;
    uint32_t* busy;
};

// Fills out for the chunks of data and returns how many chunks are busy. Reads data[-1], and
// up to params.lastOffset + 1 bytes beyond the last chunk.
size_t eventMasks(const char* data, size_t chunks, const Params& params, const Masks& out);

// The generic build (SSE2 where the processor has it, else the portable one) and the AVX2
// build; eventMasks picks one once. The portable build, byte by byte, is built everywhere so
// that it is checked everywhere.
size_t eventMasksGeneric(const char* data, size_t chunks, const Params& params, const Masks& out);
size_t eventMasksPortable(const char* data, size_t chunks, const Params& params, const Masks& out);
size_t eventMasksAvx2(const char* data, size_t chunks, const Params& params, const Masks& out);
bool haveAvx2();

} // namespace dovrin::search::kernel
