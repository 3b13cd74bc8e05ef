#include "CommentLookup.h"

#include "comments/CommentLine.h"
#include "comments/StoreFile.h"
#include "common/Interrupted.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace dovrin::search {

namespace {

// A slot's low 40 bits: the line offset + 1, or this flag and an index of a recoded key.
constexpr uint64_t kPlaceBits = 40;
constexpr uint64_t kPlaceMask = (uint64_t(1) << kPlaceBits) - 1;
constexpr uint64_t kRecoded = uint64_t(1) << (kPlaceBits - 1);

inline uint64_t load64(const char* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// A fast hash of short byte strings, the same in every run: keys are paths of some sixty
// bytes, which XXH3 takes sixteen at a time without a chain of products.
uint64_t hashOf(QByteArrayView bytes)
{
    return XXH3_64bits(bytes.data(), size_t(bytes.size()));
}

// The slot's share of the hash: its top bits, which the slot index does not use.
inline uint64_t tagOf(uint64_t hash)
{
    return hash & ~kPlaceMask;
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

// Counted sixteen bytes at a time: a call per line costs more than the line.
size_t lineFeeds(QByteArrayView bytes)
{
    size_t count = 0;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i one = _mm_set1_epi8(1);
    while (end - p >= 16 * 255) {
        // Up to 255 rounds of 0 or 1 per byte lane, then the lanes summed.
        __m128i lanes = _mm_setzero_si128();
        for (const char* stop = p + 16 * 255; p < stop; p += 16) {
            const __m128i hit =
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), feed);
            lanes = _mm_add_epi8(lanes, _mm_and_si128(hit, one));
        }
        uint64_t sums[2];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums),
                         _mm_sad_epu8(lanes, _mm_setzero_si128()));
        count += size_t(sums[0] + sums[1]);
    }
#endif
    for (; p < end; ++p)
        count += *p == '\n';
    return count;
}

} // namespace

CommentLookup::CommentLookup(const DatabaseFolder& folder)
{
    if (!read(folder))
        return;
    const QByteArrayView content(m_content, qsizetype(m_contentSize));
    // Room for every line at two thirds full; a store split by lone CRs grows the table.
    const size_t lines = lineFeeds(content) + 1;
    size_t slots = 16;
    while (slots < lines + lines / 2)
        slots *= 2;
    m_table.assign(slots, 0);
    m_mask = slots - 1;

    // Entries go in a few at a time, their slots fetched ahead: a table of megabytes misses
    // the cache at nearly every entry.
    struct Pending
    {
        uint64_t place;
        QByteArrayView key;
        uint64_t hash;
    };
    std::array<Pending, 16> batch;
    size_t pending = 0;
    auto addPending = [&] {
        for (size_t i = 0; i < pending; ++i) {
            if (++m_count * 3 > m_table.size() * 2)
                grow();
            add(batch[i].place, batch[i].key, batch[i].hash);
        }
        pending = 0;
    };
    LineReader reader(content);
    QByteArrayView line;
    while (reader.next(line)) {
        const comments::CommentLine parsed = comments::parseCommentLine(line);
        if (parsed.kind != comments::CommentLine::Entry)
            continue;
        const auto offset = uint64_t(line.data() - m_content);
        uint64_t place = offset + 1;
        QByteArrayView key = parsed.key;
        if (hasHighBytes(key) && !text::isValidUtf8(key)) {
            // Moving a QByteArray keeps its bytes where they are, so the view stays valid.
            place = kRecoded | m_recoded.size();
            m_recoded.emplace_back(text::encode(text::decode(key)), offset);
            key = m_recoded.back().first;
        }
        const uint64_t hash = hashOf(key);
        __builtin_prefetch(&m_table[hash & m_mask], 1);
        batch[pending++] = Pending{place, key, hash};
        if (pending == batch.size())
            addPending();
    }
    addPending();
}

void CommentLookup::grow()
{
    std::vector<uint64_t> old(m_table.size() * 2, 0);
    old.swap(m_table);
    m_mask = m_table.size() - 1;
    for (const uint64_t slot : old) {
        Entry entry;
        if (slot != 0) {
            const QByteArrayView key = keyAt(slot & kPlaceMask, entry);
            add(slot & kPlaceMask, key, hashOf(key));
        }
    }
}

CommentLookup::~CommentLookup()
{
    if (m_mapping)
        ::munmap(m_mapping, m_contentSize);
}

// The store's current content: a backup left by an interrupted rewrite wins, as for every
// reader of the store. It is mapped rather than read: every rewrite of the store writes a
// new file and renames it into place, so the mapped file never changes under the search.
bool CommentLookup::read(const DatabaseFolder& folder)
{
    const comments::StoreFile store(folder);
    QString path = store.backupPath();
    if (!QFile::exists(path))
        path = store.storePath();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size <= 0 || uint64_t(st.st_size) >= kRecoded) {
        ::close(fd);
        return false;
    }
    m_contentSize = size_t(st.st_size);
    void* mapping = ::mmap(nullptr, m_contentSize, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapping != MAP_FAILED) {
        ::close(fd);
        m_mapping = mapping;
        m_content = static_cast<const char*>(mapping);
        return true;
    }
    // A file system that cannot map files: read it.
    m_copy.resize(qsizetype(m_contentSize));
    size_t got = 0;
    while (got < m_contentSize) {
        const ssize_t n =
            retryInterrupted([&] { return ::read(fd, m_copy.data() + got, m_contentSize - got); });
        if (n <= 0)
            break;
        got += size_t(n);
    }
    ::close(fd);
    m_copy.truncate(qsizetype(got));
    m_content = m_copy.constData();
    m_contentSize = got;
    return got > 0;
}

// The key of the entry at `place`, and the entry itself in `entry`.
QByteArrayView CommentLookup::keyAt(uint64_t place, Entry& entry) const
{
    const bool recoded = (place & kRecoded) != 0;
    const uint64_t offset = recoded ? m_recoded[place & ~kRecoded].second : place - 1;
    LineReader reader(QByteArrayView(m_content + offset, qsizetype(m_contentSize - offset)));
    QByteArrayView line;
    reader.next(line);
    const comments::CommentLine parsed = comments::parseCommentLine(line);
    entry = Entry{parsed.key, parsed.comment};
    return recoded ? QByteArrayView(m_recoded[place & ~kRecoded].first) : parsed.key;
}

void CommentLookup::add(uint64_t place, QByteArrayView key, uint64_t hash)
{
    const uint64_t tag = tagOf(hash);
    for (uint64_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const uint64_t held = m_table[slot];
        if (held == 0) {
            m_table[slot] = tag | place;
            return;
        }
        Entry entry;
        if (tagOf(held) == tag && keyAt(held & kPlaceMask, entry) == key)
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
    const uint64_t hash = hashOf(key);
    const uint64_t tag = tagOf(hash);
    for (uint64_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const uint64_t held = m_table[slot];
        if (held == 0)
            return {};
        Entry entry;
        if (tagOf(held) == tag && keyAt(held & kPlaceMask, entry) == key)
            return entry.comment;
    }
}

bool CommentLookup::next(size_t& position, Entry& entry) const
{
    if (position >= m_contentSize)
        return false;
    LineReader reader(QByteArrayView(m_content + position, qsizetype(m_contentSize - position)));
    QByteArrayView line;
    while (reader.next(line)) {
        const comments::CommentLine parsed = comments::parseCommentLine(line);
        if (parsed.kind == comments::CommentLine::Entry) {
            entry = Entry{parsed.key, parsed.comment};
            position += size_t(reader.position());
            return true;
        }
    }
    position = m_contentSize;
    return false;
}

} // namespace dovrin::search
