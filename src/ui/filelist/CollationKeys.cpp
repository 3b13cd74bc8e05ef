#include "CollationKeys.h"

#include <QThread>
#include <algorithm>
#include <cstring>
#include <thread>
#include <unicode/ucol.h>

namespace dovrin::ui {

namespace {

// Below this many records one thread does it all.
constexpr int kParallelFrom = 20000;

int threadsFor(size_t count)
{
    return count < size_t(kParallelFrom) ? 1 : qBound(1, QThread::idealThreadCount(), 8);
}

// Runs part(i) for i in [0, parts) on as many threads, the last on the calling one.
template <typename Part> void runParts(int parts, Part&& part)
{
    std::vector<std::thread> threads;
    threads.reserve(size_t(parts));
    for (int i = 0; i + 1 < parts; ++i)
        threads.emplace_back([&part, i] { part(i); });
    part(parts - 1);
    for (std::thread& thread : threads)
        thread.join();
}

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const size_t n = size_t(qMin(a.size(), b.size()));
    if (const int c = n ? std::memcmp(a.data(), b.data(), n) : 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The first eight bytes of a key as a number that orders as the bytes do.
uint64_t prefixOf(QByteArrayView key)
{
    uint64_t value = 0;
    const qsizetype n = qMin<qsizetype>(key.size(), 8);
    for (qsizetype i = 0; i < 8; ++i)
        value = (value << 8) | (i < n ? static_cast<unsigned char>(key[i]) : 0u);
    return value;
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
        if (zero >= 0)
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

struct CollationKeys::Part
{
    std::vector<char> bytes;
    std::vector<Key> keys;
    std::vector<uint32_t> keyOf;
};

void CollationKeys::makeKeys(int first, int count, const TextCollation& collation,
                             const TextOf& textOf, Part& part) const
{
    part.keyOf.reserve(size_t(count));
    QString buffer;
    const QChar* previous = nullptr;
    qsizetype previousSize = -1;
    for (int record = first; record < first + count; ++record) {
        const QStringView text = textOf(record, buffer);
        // A text read from the same place as the one before is the same text.
        const bool inBuffer = !buffer.isNull() && text.data() >= buffer.constData() &&
                              text.data() <= buffer.constData() + buffer.size();
        if (!inBuffer && text.data() == previous && text.size() == previousSize) {
            part.keyOf.push_back(uint32_t(part.keys.size() - 1));
            continue;
        }
        previous = inBuffer ? nullptr : text.data();
        previousSize = inBuffer ? -1 : text.size();
        const size_t at = part.bytes.size();
        collation.appendKey(text, part.bytes);
        part.keys.push_back({at, uint32_t(part.bytes.size() - at)});
        part.keyOf.push_back(uint32_t(part.keys.size() - 1));
    }
}

void CollationKeys::extend(int count, const TextCollation& collation, const TextOf& textOf)
{
    const int first = size();
    if (count <= first)
        return;
    const int parts = threadsFor(size_t(count - first));
    std::vector<Part> results(static_cast<size_t>(parts));
    const int each = (count - first + parts - 1) / parts;
    runParts(parts, [&](int i) {
        const int from = first + i * each;
        const int n = qMin(each, count - from);
        if (n <= 0)
            return;
        if (i + 1 == parts) {
            makeKeys(from, n, collation, textOf, results[size_t(i)]);
        } else {
            const TextCollation own(collation); // a collator serves one thread
            makeKeys(from, n, own, textOf, results[size_t(i)]);
        }
    });
    for (Part& part : results) {
        const uint64_t base = m_bytes.size();
        const uint32_t keyBase = uint32_t(m_keys.size());
        m_bytes.insert(m_bytes.end(), part.bytes.begin(), part.bytes.end());
        for (const Key& k : part.keys)
            m_keys.push_back({k.at + base, k.length});
        for (const uint32_t k : part.keyOf)
            m_keyOf.push_back(k + keyBase);
        part = Part();
    }
}

int CollationKeys::compare(int a, int b) const
{
    const uint32_t ka = m_keyOf[size_t(a)];
    const uint32_t kb = m_keyOf[size_t(b)];
    return ka == kb ? 0 : compareBytes(key(a), key(b));
}

std::vector<int> CollationKeys::sorted(const std::vector<int>& order, bool ascending) const
{
    // The distinct keys of the records are sorted once, then the records are placed by
    // their key's rank, in their present order among equals (a stable counting sort).
    struct Item
    {
        uint64_t prefix;
        uint32_t key;
    };
    const auto keyBytes = [this](uint32_t k) {
        return QByteArrayView(m_bytes.data() + m_keys[k].at, qsizetype(m_keys[k].length));
    };
    const auto less = [&keyBytes](const Item& a, const Item& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return compareBytes(keyBytes(a.key), keyBytes(b.key)) < 0;
    };

    std::vector<uint8_t> present(m_keys.size(), 0);
    for (const int record : order)
        present[m_keyOf[size_t(record)]] = 1;
    std::vector<Item> items;
    for (uint32_t k = 0; k < uint32_t(m_keys.size()); ++k) {
        if (present[k])
            items.push_back({prefixOf(keyBytes(k)), k});
    }
    present = {};

    const int parts = threadsFor(items.size());
    if (parts == 1) {
        std::sort(items.begin(), items.end(), less);
    } else {
        std::vector<size_t> bounds;
        for (int i = 0; i <= parts; ++i)
            bounds.push_back(items.size() * size_t(i) / size_t(parts));
        runParts(parts, [&](int i) {
            std::sort(items.begin() + qsizetype(bounds[size_t(i)]),
                      items.begin() + qsizetype(bounds[size_t(i) + 1]), less);
        });
        for (int i = 1; i < parts; ++i)
            std::inplace_merge(items.begin(), items.begin() + qsizetype(bounds[size_t(i)]),
                               items.begin() + qsizetype(bounds[size_t(i) + 1]), less);
    }

    std::vector<uint32_t> rankOf(m_keys.size(), 0);
    uint32_t ranks = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i == 0 || less(items[i - 1], items[i]))
            ++ranks;
        rankOf[items[i].key] = ranks - 1;
    }
    items = {};

    std::vector<uint32_t> starts(size_t(ranks) + 1, 0);
    const auto rankOfRecord = [&](int record) {
        const uint32_t rank = rankOf[m_keyOf[size_t(record)]];
        return ascending ? rank : ranks - 1 - rank;
    };
    for (const int record : order)
        ++starts[rankOfRecord(record) + 1];
    for (size_t r = 1; r < starts.size(); ++r)
        starts[r] += starts[r - 1];
    std::vector<int> out(order.size());
    for (const int record : order)
        out[starts[rankOfRecord(record)]++] = record;
    return out;
}

} // namespace dovrin::ui
