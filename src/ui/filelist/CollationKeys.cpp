#include "CollationKeys.h"

#include "ParallelSort.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <unicode/ucol.h>

namespace dovrin::ui {

namespace {

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const size_t n = size_t(qMin(a.size(), b.size()));
    if (const int c = n ? std::memcmp(a.data(), b.data(), n) : 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

struct TextCollation::Collator
{
    UCollator* collator = nullptr; // null when it could not be opened: every key is empty
};

TextCollation::TextCollation(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return;
    m_collator = std::make_unique<Collator>();
    // The collator QCollator opens for the locale, with its settings for a case-insensitive
    // comparison.
    const QByteArray name = locale.bcp47Name().toLatin1().replace('-', '_');
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(name.constData(), &status);
    if (U_FAILURE(status))
        return;
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    status = U_ZERO_ERROR;
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    status = U_ZERO_ERROR;
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    status = U_ZERO_ERROR;
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    m_collator->collator = collator;
}

TextCollation::~TextCollation()
{
    if (m_collator && m_collator->collator)
        ucol_close(m_collator->collator);
}

TextCollation::TextCollation(const TextCollation& other)
{
    *this = other;
}

TextCollation& TextCollation::operator=(const TextCollation& other)
{
    if (this == &other)
        return *this;
    if (m_collator && m_collator->collator)
        ucol_close(m_collator->collator);
    m_collator.reset();
    if (other.m_collator) {
        m_collator = std::make_unique<Collator>();
        if (other.m_collator->collator) {
            UErrorCode status = U_ZERO_ERROR;
            m_collator->collator = ucol_clone(other.m_collator->collator, &status);
            if (U_FAILURE(status))
                m_collator->collator = nullptr;
        }
    }
    return *this;
}

void TextCollation::appendKey(QStringView text, std::vector<char>& out) const
{
    const size_t start = out.size();
    if (!m_collator) {
        // The C locale: the text's UTF-8 bytes, compared as C strings (up to a zero byte).
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        QByteArray converted;
        QByteArrayView bytes;
        if (ascii) {
            out.resize(start + size_t(text.size()));
            char* p = out.data() + start;
            for (const QChar c : text)
                *p++ = char(c.unicode());
            bytes = QByteArrayView(out.data() + start, text.size());
        } else {
            converted = text.toUtf8();
            out.resize(start + size_t(converted.size()));
            std::memcpy(out.data() + start, converted.constData(), size_t(converted.size()));
            bytes = QByteArrayView(out.data() + start, converted.size());
        }
        const qsizetype zero = bytes.indexOf('\0');
        if (zero != -1)
            out.resize(start + size_t(zero));
        return;
    }
    if (!m_collator->collator)
        return;
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    int32_t room = int32_t(16 + text.size() + (text.size() >> 2));
    out.resize(start + size_t(room));
    int32_t size = ucol_getSortKey(m_collator->collator, chars, int32_t(text.size()),
                                   reinterpret_cast<uint8_t*>(out.data() + start), room);
    if (size > room) {
        out.resize(start + size_t(size));
        size = ucol_getSortKey(m_collator->collator, chars, int32_t(text.size()),
                               reinterpret_cast<uint8_t*>(out.data() + start), size);
    }
    // Without the terminating zero byte, which no key holds elsewhere.
    out.resize(start + size_t(qMax(0, size - 1)));
}

// Where one thread puts the keys it makes: blocks that never move.
struct CollationKeys::Arena
{
    static constexpr size_t kBlock = size_t(2) << 20;
    std::vector<search::LargeBuffer> blocks;
    char* free = nullptr;
    size_t left = 0;

    const char* store(const std::vector<char>& key)
    {
        const auto length = uint32_t(key.size());
        const size_t need = sizeof length + key.size();
        if (need > left) {
            const size_t size = qMax(need, kBlock);
            blocks.emplace_back(size);
            free = blocks.back().data();
            left = size;
        }
        char* at = free;
        std::memcpy(at, &length, sizeof length);
        if (length != 0)
            std::memcpy(at + sizeof length, key.data(), key.size());
        free += need;
        left -= need;
        return at;
    }
};

// A row in a sort: the first sixteen bytes of its key as two numbers that order as the
// bytes do, and its present place.
struct CollationKeys::Item
{
    uint64_t high;
    uint64_t low;
    uint32_t position;
    uint32_t length;
};

QByteArrayView CollationKeys::bytes(const char* key)
{
    uint32_t length;
    std::memcpy(&length, key, sizeof length);
    return QByteArrayView(key + sizeof length, qsizetype(length));
}

void CollationKeys::makeKeys(int first, int count, const TextCollation& collation,
                             const TextOf& textOf, Arena& arena)
{
    QString buffer;
    std::vector<char> scratch;
    const QChar* previous = nullptr;
    qsizetype previousSize = -1;
    const char* previousKey = nullptr;
    for (int record = first; record < first + count; ++record) {
        const QStringView text = textOf(record, buffer);
        // A text read from the same place as the one before is the same text.
        const bool inBuffer = !buffer.isNull() && text.data() >= buffer.constData() &&
                              text.data() <= buffer.constData() + buffer.size();
        if (previousKey && !inBuffer && text.data() == previous && text.size() == previousSize) {
            m_keyOf[size_t(record)] = previousKey;
            continue;
        }
        previous = inBuffer ? nullptr : text.data();
        previousSize = inBuffer ? -1 : text.size();
        scratch.clear();
        collation.appendKey(text, scratch);
        previousKey = arena.store(scratch);
        m_keyOf[size_t(record)] = previousKey;
    }
}

void CollationKeys::extend(int count, const TextCollation& collation, const TextOf& textOf)
{
    const int first = size();
    if (count <= first)
        return;
    m_keyOf.resize(size_t(count));
    const int parts = threadsFor(size_t(count - first));
    std::vector<Arena> arenas(static_cast<size_t>(parts));
    const int each = (count - first + parts - 1) / parts;
    runParts(parts, [&](int i) {
        const int from = first + i * each;
        const int n = qMin(each, count - from);
        if (n <= 0)
            return;
        if (i + 1 == parts) {
            makeKeys(from, n, collation, textOf, arenas[size_t(i)]);
        } else {
            const TextCollation own(collation); // a collator serves one thread
            makeKeys(from, n, own, textOf, arenas[size_t(i)]);
        }
    });
    for (Arena& arena : arenas) {
        for (auto& block : arena.blocks)
            m_blocks.push_back(std::move(block));
    }
}

int CollationKeys::compare(int a, int b) const
{
    const char* ka = m_keyOf[size_t(a)];
    const char* kb = m_keyOf[size_t(b)];
    return ka == kb ? 0 : compareBytes(bytes(ka), bytes(kb));
}

CollationKeys::Item CollationKeys::itemOf(int record, uint32_t position) const
{
    const QByteArrayView k = bytes(m_keyOf[size_t(record)]);
    unsigned char head[16] = {};
    std::memcpy(head, k.data(), size_t(qMin<qsizetype>(k.size(), 16)));
    uint64_t high = 0;
    uint64_t low = 0;
    for (int i = 0; i < 8; ++i) {
        high = (high << 8) | head[i];
        low = (low << 8) | head[8 + i];
    }
    return Item{high, low, position, uint32_t(k.size())};
}

// Keys hold no zero byte, so of two keys with the same first sixteen bytes (zero-padded),
// one at most sixteen long is equal to the other or, when exactly sixteen, a prefix of it;
// only longer ones are compared further.
int CollationKeys::compareItems(const Item& a, const Item& b, const RowOrder& order) const
{
    if (a.high != b.high)
        return a.high < b.high ? -1 : 1;
    if (a.low != b.low)
        return a.low < b.low ? -1 : 1;
    if (a.length <= 16 || b.length <= 16)
        return int(a.length) - int(b.length);
    const char* ka = m_keyOf[size_t(order[a.position])];
    const char* kb = m_keyOf[size_t(order[b.position])];
    return ka == kb ? 0 : compareBytes(bytes(ka).sliced(16), bytes(kb).sliced(16));
}

RowOrder CollationKeys::sorted(const RowOrder& order, bool ascending) const
{
    const size_t n = order.size();
    const int threads = threadsFor(n);
    RowOrder out(n);
    size_t runs = 0; // records whose key differs from the record before them
    for (size_t record = 0; record < m_keyOf.size(); ++record)
        runs += record == 0 || m_keyOf[record] != m_keyOf[record - 1];

    if (runs * 4 > n) {
        // Mostly distinct keys (names): the rows themselves are sorted, equal keys by their
        // present place.
        search::LargeVector<Item> items(n);
        if (n == m_keyOf.size()) {
            // Every record: read them in record order, the order their keys were made in.
            search::LargeVector<uint32_t> positionOf(n);
            for (size_t i = 0; i < n; ++i)
                positionOf[size_t(order[i])] = uint32_t(i);
            for (size_t record = 0; record < n; ++record)
                items[record] = itemOf(int(record), positionOf[record]);
        } else {
            for (size_t i = 0; i < n; ++i)
                items[i] = itemOf(order[i], uint32_t(i));
        }
        parallelSort(
            items.begin(), items.end(),
            [this, ascending, &order](const Item& a, const Item& b) {
                // Equal items keep their present order, whichever way the sort goes.
                const int c = ascending ? compareItems(a, b, order) : compareItems(b, a, order);
                return c < 0 || (c == 0 && a.position < b.position);
            },
            threads);
        for (size_t i = 0; i < n; ++i)
            out[i] = order[items[i].position];
        return out;
    }

    // Few distinct keys (folders, comments): one item per run of equal keys in record order;
    // the items are sorted and ranked, and the rows placed by rank in their present order
    // (a stable counting sort).
    RowOrder runStart;
    for (size_t record = 0; record < m_keyOf.size(); ++record) {
        if (record == 0 || m_keyOf[record] != m_keyOf[record - 1])
            runStart.push_back(int(record));
    }
    std::vector<Item> items(runStart.size());
    for (size_t r = 0; r < runStart.size(); ++r)
        items[r] = itemOf(runStart[r], uint32_t(r));
    const auto less = [this, &runStart](const Item& a, const Item& b) {
        return compareItems(a, b, runStart) < 0;
    };
    parallelSort(items.begin(), items.end(), less, threads);
    std::vector<uint32_t> rankOfRun(runStart.size(), 0);
    uint32_t ranks = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i == 0 || less(items[i - 1], items[i]))
            ++ranks;
        rankOfRun[items[i].position] = ranks - 1;
    }
    search::LargeVector<uint32_t> rankOf(m_keyOf.size());
    for (size_t record = 0, run = 0; record < m_keyOf.size(); ++record) {
        if (run + 1 < runStart.size() && int(record) == runStart[run + 1])
            ++run;
        rankOf[record] = ascending ? rankOfRun[run] : ranks - 1 - rankOfRun[run];
    }
    std::vector<uint32_t> starts(size_t(ranks) + 1, 0);
    for (const int record : order)
        ++starts[rankOf[size_t(record)] + 1];
    for (size_t r = 1; r < starts.size(); ++r)
        starts[r] += starts[r - 1];
    for (const int record : order)
        out[starts[rankOf[size_t(record)]]++] = record;
    return out;
}

} // namespace dovrin::ui
