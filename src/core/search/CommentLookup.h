#pragma once

#include "LargeBuffer.h"
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
    // The same for a key in UTF-8; the comment's bytes as stored, empty when none.
    QByteArrayView findUtf8(QByteArrayView key) const;
    // Entries in store order.
    size_t size() const { return m_count; }
    const Entry& entry(size_t index) const { return m_entries[index]; }

private:
    struct Slot
    {
        uint32_t hash;
        uint32_t entry; // entry index + 1, 0 for a free slot
    };

    bool read(const DatabaseFolder& folder);
    void addToTable(uint32_t entry);

    LargeBuffer m_content;
    size_t m_contentSize = 0;
    LargeBuffer m_entryBuffer;
    Entry* m_entries = nullptr;
    size_t m_count = 0;
    LargeBuffer m_tableBuffer;
    Slot* m_table = nullptr;
    uint32_t m_mask = 0;
    std::vector<QByteArray> m_recoded; // keys of older stores, made UTF-8
};

} // namespace dovrin::search
