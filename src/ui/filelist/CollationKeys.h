#pragma once

#include "search/LargeBuffer.h"

#include <QByteArrayView>
#include <QLocale>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace dovrin::ui {

// Sort keys of texts by a locale's collation, ignoring letter case: comparing two keys'
// bytes orders their texts exactly as QCollator (case-insensitive, the list control's own
// text order) orders them. Built the same way QCollator builds its keys, but into one
// array of bytes instead of two allocations a text, and on several threads for many texts.
class TextCollation
{
public:
    explicit TextCollation(const QLocale& locale = QLocale());
    ~TextCollation();
    TextCollation(const TextCollation& other);
    TextCollation& operator=(const TextCollation& other);

    // Appends the key of `text` to `out` (a collation is used by one thread at a time).
    void appendKey(QStringView text, std::vector<char>& out) const;

private:
    struct Collator;
    std::unique_ptr<Collator> m_collator; // null: the C locale, whose keys are UTF-8
};

// Rows in their shown order (row -> record); large lists keep it in huge pages.
using RowOrder = search::LargeVector<int>;

// The keys of the texts of many records, in one array, one key per record. Records whose
// text is the same as the record before them share its key.
class CollationKeys
{
public:
    // Gives the text of a record; may be called from several threads at once. The view may
    // point into `buffer`, which belongs to the calling thread.
    using TextOf = std::function<QStringView(int record, QString& buffer)>;

    // Makes the keys of records [size(), count).
    void extend(int count, const TextCollation& collation, const TextOf& textOf);
    int size() const { return int(m_keyOf.size()); }
    int compare(int a, int b) const;

    // The records of `order` rearranged by their keys, ascending or descending; records
    // with equal keys keep their order. Uses every core for many records.
    RowOrder sorted(const RowOrder& order, bool ascending) const;

private:
    struct Item;
    struct Arena;
    // A key is stored as its length (four bytes) followed by its bytes.
    static QByteArrayView bytes(const char* key);
    void makeKeys(int first, int count, const TextCollation& collation, const TextOf& textOf,
                  Arena& arena);
    Item itemOf(int record, uint32_t position) const;
    int compareItems(const Item& a, const Item& b, const RowOrder& order) const;

    std::vector<search::LargeBuffer> m_blocks; // the keys
    search::LargeVector<const char*> m_keyOf;  // record -> its key in the blocks
};

} // namespace dovrin::ui
