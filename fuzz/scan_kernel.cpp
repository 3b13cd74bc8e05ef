// The search's block scan: the portable and the vector builds against a byte-by-byte rule.
// Input: two needle bytes, then the block.
#include "FuzzSupport.h"
#include "search/ScanKernel.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace dovrin;
namespace kernel = search::kernel;

namespace {

// The first bytes of ß, ı, ſ, ŉ, ǰ, ẖ to ẚ and ﬀ to ﬆ, with their neighbours in the same
// rows, and ß of Windows-1252.
bool upperToAscii(unsigned char c, unsigned char next)
{
    const int row = next >> 4;
    switch (c) {
    case 0xC3:
        return row == 0x9;
    case 0xC4:
    case 0xC7:
        return row == 0xB;
    case 0xC5:
        return row == 0xB || row == 0x8;
    case 0xE1:
        return row == 0xB;
    case 0xEF:
        return row == 0xA;
    case 0xDF:
        return true;
    default:
        return false;
    }
}

bool event(const unsigned char* p, const kernel::Params& params)
{
    if (p[-1] == '\n' && (p[0] != '"' || p[1] == '"'))
        return true;
    if (params.high && p[0] >= 0x80 && (!params.upperToAsciiOnly || upperToAscii(p[0], p[1])))
        return true;
    return params.needle && (p[0] | params.firstMask) == params.firstValue &&
           (p[params.lastOffset] | params.lastMask) == params.lastValue;
}

bool folder(const unsigned char* p)
{
    return p[-1] == '\n' && p[0] == '"' && p[1] == ':';
}

void fold(unsigned char c, unsigned char& mask, unsigned char& value)
{
    const bool letter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    mask = letter ? 0x20 : 0;
    value = letter ? (c | 0x20) : c;
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    if (data.size() < 3)
        return;
    kernel::Params params;
    const auto first = static_cast<unsigned char>(data[0]);
    const auto last = static_cast<unsigned char>(data[1]);
    fold(first, params.firstMask, params.firstValue);
    fold(last, params.lastMask, params.lastValue);
    params.lastOffset = (first ^ last) % 40;
    params.needle = (first & 1) != 0;
    params.high = (last & 1) != 0;
    params.upperToAsciiOnly = (first & 2) != 0;
    const QByteArrayView block = data.sliced(2);

    // The kernel reads the byte before the block, a line feed here, and up to lastOffset + 1
    // bytes past the chunks, zero here.
    const size_t chunks = size_t(block.size() + 63) / 64;
    std::vector<char> padded(1 + chunks * 64 + 64, 0);
    padded[0] = '\n';
    std::memcpy(padded.data() + 1, block.data(), size_t(block.size()));
    const char* start = padded.data() + 1;
    // Each build's bits: events, then folder lines, then the folder counts, then the busy
    // chunks.
    auto masksOf =
        [&](size_t (*build)(const char*, size_t, const kernel::Params&, const kernel::Masks&)) {
            std::vector<uint64_t> bits(2 * chunks);
            std::vector<uint32_t> counts(chunks + 1, 0xFFFFFFFF);
            std::vector<uint32_t> busy(chunks, 0xFFFFFFFF);
            const size_t n = build(start, chunks, params,
                                   {bits.data(), bits.data() + chunks, counts.data(), busy.data()});
            bits.insert(bits.end(), counts.begin(), counts.end());
            bits.insert(bits.end(), busy.begin(), busy.begin() + qsizetype(n));
            return bits;
        };
    const std::vector<uint64_t> generic = masksOf(kernel::eventMasksGeneric);
    fuzz::require(masksOf(kernel::eventMasksPortable) == generic,
                  "the portable build differs from the generic one");
    if (kernel::haveAvx2())
        fuzz::require(masksOf(kernel::eventMasksAvx2) == generic,
                      "the vector build differs from the portable one");
    const auto* bytes = reinterpret_cast<const unsigned char*>(start);
    uint64_t folders = 0;
    for (size_t i = 0; i < chunks * 64; ++i) {
        if (i % 64 == 0)
            fuzz::require(generic[2 * chunks + i / 64] == folders, "a folder count is wrong",
                          QString::number(i / 64));
        const bool bit = (generic[i / 64] >> (i % 64)) & 1;
        fuzz::require(bit == event(bytes + i, params), "a byte's event bit is wrong",
                      QString::number(i));
        const bool folderBit = (generic[chunks + i / 64] >> (i % 64)) & 1;
        fuzz::require(folderBit == folder(bytes + i), "a byte's folder bit is wrong",
                      QString::number(i));
        folders += folderBit;
    }
    fuzz::require(generic[3 * chunks] == folders, "the last folder count is wrong");
    std::vector<uint64_t> busy;
    for (size_t c = 0; c < chunks; ++c) {
        if (generic[c] != 0)
            busy.push_back(c);
    }
    fuzz::require(
        std::equal(busy.begin(), busy.end(), generic.begin() + 3 * chunks + 1, generic.end()),
        "the busy chunks are wrong");
}
