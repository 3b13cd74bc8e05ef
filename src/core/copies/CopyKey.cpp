#include "CopyKey.h"

#include "store/TextCodec.h"

// Inlined: a call into the shared library costs more than hashing a short name.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace dovrin::copies {

QByteArrayView NameFolder::fold(QByteArrayView name, QByteArray& scratch) const
{
    if (m_caser.asciiIsPlain() && search::isAscii(name)) {
        scratch.resize(name.size());
        char* out = scratch.data();
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char c = name[i];
            out[i] = c >= 'a' && c <= 'z' ? char(c - 32) : c;
        }
        return scratch;
    }
    scratch = m_caser.upper(text::decode(name)).toUtf8();
    return scratch;
}

uint64_t nameKey(QByteArrayView foldedName, qint64 size, RecordDateTime modified, bool withDate)
{
    uint64_t seed = uint64_t(size) * 0x9E3779B97F4A7C15ull;
    if (withDate)
        seed ^= uint64_t(modified.seconds()) * 0xC2B2AE3D27D4EB4Full + 1;
    return XXH3_64bits_withSeed(foldedName.data(), size_t(foldedName.size()), seed);
}

} // namespace dovrin::copies
