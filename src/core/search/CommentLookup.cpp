#include "CommentLookup.h"

#include "comments/CommentLine.h"
#include "comments/StoreFile.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <cstring>

namespace dovrin::search {

namespace {

inline uint64_t load64(const char* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// A fast hash of short byte strings, eight bytes at a time; the same in every run.
uint32_t hashOf(QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ uint64_t(n);
    for (; n >= 8; p += 8, n -= 8)
        h = (h ^ load64(p)) * 0xFF51AFD7ED558CCDull;
    uint64_t tail = 0;
    std::memcpy(&tail, p, size_t(n));
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return uint32_t(h ^ (h >> 32));
}

bool hasHighBytes(QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8)
        any |= load64(p);
    for (; n > 0; ++p, --n)
        any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) != 0;
}

qsizetype lineCount(QByteArrayView bytes)
{
    qsizetype lines = 1;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (const void* hit = std::memchr(p, '\n', size_t(end - p))) {
        ++lines;
        p = static_cast<const char*>(hit) + 1;
    }
    return lines;
}

} // namespace

CommentLookup::CommentLookup(const DatabaseFolder& folder)
{
    if (!read(folder))
        return;
    const QByteArrayView content(m_content.data(), qsizetype(m_contentSize));
    const size_t lines = size_t(lineCount(content));
    m_entryBuffer = LargeBuffer(lines * sizeof(Entry));
    m_entries = m_entryBuffer.as<Entry>();
    LineReader reader(content);
    QByteArrayView line;
    while (reader.next(line)) {
        const comments::CommentLine parsed = comments::parseCommentLine(line);
        if (parsed.kind != comments::CommentLine::Entry)
            continue;
        Entry entry{parsed.key, parsed.comment};
        if (hasHighBytes(entry.key) && !text::isValidUtf8(entry.key)) {
            // Moving a QByteArray keeps its bytes where they are, so the view stays valid.
            m_recoded.push_back(text::encode(text::decode(entry.key)));
            entry.key = m_recoded.back();
        }
        m_entries[m_count++] = entry;
    }

    uint32_t slots = 16;
    while (slots < m_count * 2)
        slots *= 2;
    m_mask = slots - 1;
    m_tableBuffer = LargeBuffer(slots * sizeof(Slot));
    m_table = m_tableBuffer.as<Slot>();
    for (uint32_t i = 0; i < m_count; ++i)
        addToTable(i);
}

// The store's current content: a backup left by an interrupted rewrite wins, as for every
// reader of the store.
bool CommentLookup::read(const DatabaseFolder& folder)
{
    const comments::StoreFile store(folder);
    QFile file(store.backupPath());
    if (!file.exists())
        file.setFileName(store.storePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const qint64 size = file.size();
    if (size <= 0)
        return false;
    m_content = LargeBuffer(size_t(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(m_content.data() + got, size - got);
        if (n <= 0)
            break;
        got += n;
    }
    m_contentSize = size_t(got);
    return got > 0;
}

void CommentLookup::addToTable(uint32_t entry)
{
    const QByteArrayView key = m_entries[entry].key;
    const uint32_t hash = hashOf(key);
    for (uint32_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const uint32_t held = m_table[slot].entry;
        if (held == 0) {
            m_table[slot] = Slot{hash, entry + 1};
            return;
        }
        if (m_table[slot].hash == hash && m_entries[held - 1].key == key)
            return; // the first entry of a key wins
    }
}

QString CommentLookup::find(const QString& key) const
{
    if (m_count == 0)
        return {};
    return text::decode(findUtf8(text::encode(key)));
}

QByteArrayView CommentLookup::findUtf8(QByteArrayView key) const
{
    if (m_count == 0)
        return {};
    const uint32_t hash = hashOf(key);
    for (uint32_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const uint32_t held = m_table[slot].entry;
        if (held == 0)
            return {};
        const Entry& entry = m_entries[held - 1];
        if (m_table[slot].hash == hash && entry.key == key)
            return entry.comment;
    }
}

} // namespace dovrin::search
