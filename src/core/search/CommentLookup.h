#pragma once

#include "store/DatabaseFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace dovrin::search {

// The comment store read once for a search: its bytes, and a table from key bytes to the
// entry, built without an allocation per entry. A search may look up every row it adds.
class CommentLookup
{
public:
    struct Entry
    {
        QByteArrayView key;     // UTF-8
        QByteArrayView comment; // as stored
    };

    // Reads the store of the database folder; a missing store has no entries.
    explicit CommentLookup(const DatabaseFolder& folder);

    // The comment of the key (the first entry of a key wins); empty when none.
    QString find(const QString& key) const;
    // Entries in store order.
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    void addToTable(uint32_t entry);

    QByteArray m_content;
    std::vector<QByteArray> m_recoded; // keys of older stores, made UTF-8
    std::vector<Entry> m_entries;
    struct Slot
    {
        uint32_t hash = 0;
        uint32_t entry = 0; // entry index + 1, 0 for a free slot
    };
    std::vector<Slot> m_table;
    uint32_t m_mask = 0;
};

} // namespace dovrin::search
