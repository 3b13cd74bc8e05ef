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
};

// Fills out[c] for each 64-byte chunk c of data[0, chunks * 64) with a bit per byte where
// something may begin:
// - a quote followed by ":" or by a quote (a folder line, or an empty item);
// - a line feed followed by CR or LF (a blank line);
// - a byte >= 0x80 (when params.high);
// - a position where the needle's first and last bytes fit (when params.needle).
// Reads up to params.lastOffset + 1 bytes beyond the last chunk.
void eventMasks(const char* data, size_t chunks, const Params& params, uint64_t* out);

// The generic build (SSE2 where the processor has it, else the portable one) and the AVX2
// build; eventMasks picks one once. The portable build, byte by byte, is built everywhere so
// that it is checked everywhere.
void eventMasksGeneric(const char* data, size_t chunks, const Params& params, uint64_t* out);
void eventMasksPortable(const char* data, size_t chunks, const Params& params, uint64_t* out);
void eventMasksAvx2(const char* data, size_t chunks, const Params& params, uint64_t* out);
bool haveAvx2();

} // namespace dovrin::search::kernel
