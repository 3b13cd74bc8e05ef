// The decoding of every text read from a data file: UTF-8, else Windows-1252.
#include "FuzzSupport.h"
#include "store/TextCodec.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    const bool valid = text::isValidUtf8(data);
    fuzz::require(valid == data.isValidUtf8(), "UTF-8 validity differs from Qt's");
    const QString decoded = text::decode(data);
    if (valid) {
        // Names are kept byte for byte.
        fuzz::require(text::encode(decoded) == data, "valid UTF-8 does not come back whole",
                      decoded);
    } else {
        fuzz::require(decoded.size() == data.size(), "one character per Windows-1252 byte");
        fuzz::require(!decoded.contains(QChar::ReplacementCharacter),
                      "Windows-1252 text lost a byte");
    }
    // Once written as UTF-8, a text reads back the same.
    fuzz::require(text::decode(text::encode(decoded)) == decoded, "decoded text is not stable",
                  decoded);
}
