#pragma once

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
    QByteArrayView key(int record) const
    {
        const Key& k = m_keys[m_keyOf[size_t(record)]];
        return QByteArrayView(m_bytes.data() + k.at, qsizetype(k.length));
    }
    int compare(int a, int b) const;

    // The records of `order` rearranged by their keys, ascending or descending; records
    // with equal keys keep their order. Uses every core for many records.
    std::vector<int> sorted(const std::vector<int>& order, bool ascending) const;

private:
    struct Key
    {
        uint64_t at;
        uint32_t length;
    };
    struct Part;
    void makeKeys(int first, int count, const TextCollation& collation, const TextOf& textOf,
                  Part& part) const;

    std::vector<char> m_bytes;
    std::vector<Key> m_keys;       // distinct keys, in record order
    std::vector<uint32_t> m_keyOf; // record -> index into m_keys
};

} // namespace dovrin::ui
