#pragma once

#include "store/DatabaseFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace dovrin::search {

// The comment store read once for a search: its bytes mapped, not copied, and a table from
// key bytes to the entry's line. A search may look up every row it adds, and most searches
// find few rows, so the table holds no more than a hash and a place for each entry.
class CommentLookup
{
public:
    struct Entry
    {
        QByteArrayView key;     // as stored
        QByteArrayView comment; // as stored
    };

    // Reads the store of the database folder; a missing store has no entries.
    explicit CommentLookup(const DatabaseFolder& folder);
    ~CommentLookup();
    CommentLookup(const CommentLookup&) = delete;
    CommentLookup& operator=(const CommentLookup&) = delete;

    // The comment of the key (the first entry of a key wins); empty when none.
    QString find(const QString& key) const;
    // The same for a key in UTF-8; the comment's bytes as stored, empty when none.
    QByteArrayView findUtf8(QByteArrayView key) const;
    bool isEmpty() const { return m_count == 0; }
    // The entries in store order: start with `position` 0; false after the last.
    bool next(size_t& position, Entry& entry) const;

private:
    bool read(const DatabaseFolder& folder);
    void grow();
    void add(uint64_t place, QByteArrayView key, uint64_t hash);
    QByteArrayView keyAt(uint64_t place, Entry& entry) const;

    const char* m_content = nullptr;
    size_t m_contentSize = 0;
    void* m_mapping = nullptr;
    QByteArray m_copy; // where the store cannot be mapped
    // Per slot: the hash's top bits, and the entry's line offset + 1 (0 for a free slot),
    // or for a key recoded to UTF-8 a flag and its index in m_recoded.
    std::vector<uint64_t> m_table;
    uint64_t m_mask = 0;
    size_t m_count = 0;                                     // entries
    std::vector<std::pair<QByteArray, uint64_t>> m_recoded; // UTF-8 key, line offset
};

// The comments of an engine's runs: a lookup given for the next run (the command line reads
// it beside the load), or the store read when a run first needs it; dropped when the run ends.
class RunComments
{
public:
    void giveForNextRun(std::unique_ptr<CommentLookup> lookup) { m_next = std::move(lookup); }
    void beginRun() { m_current = std::move(m_next); }
    void endRun() { m_current.reset(); }
    const CommentLookup& get(const DatabaseFolder& folder)
    {
        if (!m_current)
            m_current = std::make_unique<CommentLookup>(folder);
        return *m_current;
    }

private:
    std::unique_ptr<CommentLookup> m_current;
    std::unique_ptr<CommentLookup> m_next;
};

} // namespace dovrin::search
