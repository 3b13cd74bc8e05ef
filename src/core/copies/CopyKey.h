#pragma once

#include "search/TextMatcher.h"
#include "store/RecordDateTime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace dovrin::copies {

// 2^64 divided by the golden ratio: a product with it spreads a number's bits over the high
// bits of the result, where the keys and tables take them.
constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

// What makes two files copies of each other. Empty files never are, and folders are not
// compared.
enum class Criterion
{
    NameAndSize,     // equal names without regard to letter case, equal sizes
    NameSizeAndDate, // ... and equal modified date-times
    Content,         // equal sizes and fingerprints, whatever the names
};

// Folds names as the search compares them (upper-cased by the user's locale), so that two
// names are equal without regard to letter case exactly when their folded forms are equal.
class NameFolder
{
public:
    explicit NameFolder(const search::UpperCaser& caser) : m_caser(caser) {}

    // The folded name as UTF-8; ASCII names are folded byte by byte into `scratch`.
    QByteArrayView fold(QByteArrayView name, QByteArray& scratch) const;
    // A 64-bit hash of the folded name with the size and, when it counts, the date. Files
    // whose keys differ are never copies; files whose keys are equal are compared exactly
    // afterwards. An ASCII name is folded and hashed in one pass, without a copy.
    uint64_t key(QByteArrayView name, qint64 size, RecordDateTime modified, bool withDate,
                 QByteArray& scratch) const;

private:
    const search::UpperCaser& m_caser;
};

} // namespace dovrin::copies
