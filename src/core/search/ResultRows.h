#pragma once

#include "LargeBuffer.h"
#include "SearchRow.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace dovrin::search {

// Grows block by block, so a million entries are never copied into a larger array and the
// peak stays at what is held. Blocks grow from small (for the many small sets of rows) to
// large ones in huge pages (for the few large sets: a page fault each 2 MB, not each 4 KB).
template <typename T> class BlockArray
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    size_t size() const { return m_size; }
    T& operator[](size_t i) { return *at(i); }
    const T& operator[](size_t i) const { return *const_cast<BlockArray*>(this)->at(i); }
    void push_back(const T& value)
    {
        if (m_size == m_capacity) {
            const size_t count =
                m_blocks.size() < kGrowing ? kFirst << (2 * m_blocks.size()) : kLarge;
            m_blocks.emplace_back(count * sizeof(T), count >= kLarge);
            m_capacity += count;
        }
        new (at(m_size)) T(value);
        ++m_size;
    }
    void clear()
    {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_size = 0;
        m_capacity = 0;
    }

private:
    // Blocks of 256, 1024, 4096 and 16384 entries, then of 65536.
    static constexpr size_t kFirst = 256;
    static constexpr size_t kGrowing = 4;
    static constexpr size_t kLargeShift = 16;
    static constexpr size_t kLarge = size_t(1) << kLargeShift;
    static constexpr size_t kGrowingTotal = kFirst * (1 + 4 + 16 + 64);

    struct Block
    {
        Block(size_t bytes, bool large)
        {
            if (large) {
                m_large = LargeBuffer(bytes);
                data = m_large.as<T>();
            } else {
                m_small.reset(static_cast<char*>(::operator new(bytes)));
                data = reinterpret_cast<T*>(m_small.get());
            }
        }
        struct Free
        {
            void operator()(char* p) const { ::operator delete(p); }
        };
        T* data;
        std::unique_ptr<char, Free> m_small;
        LargeBuffer m_large;
    };

    T* at(size_t i)
    {
        if (i >= kGrowingTotal) {
            i -= kGrowingTotal;
            return m_blocks[kGrowing + (i >> kLargeShift)].data + (i & (kLarge - 1));
        }
        size_t block = 0;
        for (size_t count = kFirst; i >= count; count <<= 2, ++block)
            i -= count;
        return m_blocks[block].data + i;
    }

    std::vector<Block> m_blocks;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Search results in compact columns: one small fixed entry per row and every text in large
// character blocks. The rows of a folder share its container key, and the key of a row is
// not stored when it is the container key and the name (with "\" for a folder), as it is
// for every row but odd comment keys. A million rows take tens of megabytes, not hundreds.
class ResultRows
{
public:
    ResultRows() = default;
    ResultRows(ResultRows&&) noexcept = default;
    ResultRows& operator=(ResultRows&&) noexcept = default;

    size_t size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.size() == 0; }
    // Drops every row and gives the memory back.
    void clear();

    // The rows the engine finds, folder by folder: the container key of the rows that
    // follow, then the rows, each named as the record holds it (decoded here).
    void beginFolder(QStringView containerKey);
    // A list-everything row: size, no date, no comment.
    void addReducedFile(QByteArrayView name, qint64 size);
    // A file row with its size and date.
    void addFile(QByteArrayView name, qint64 size, RecordDateTime modified);
    // A folder row named `name` (without its "\"); its key ends with "\".
    void addFolder(QByteArrayView name);

    void append(const SearchRow& row);
    void append(const ResultRows& other, size_t first, size_t count);
    void setComment(size_t row, const QString& comment);

    SearchRow row(size_t i) const;
    QStringView name(size_t i) const
    {
        const Entry& entry = m_entries[i];
        if (entry.flags() & LongName)
            return m_extras[entry.extra - 1].name;
        return text(Span{entry.nameAt, entry.nameLength()});
    }
    QStringView inFolder(size_t i) const { return text(m_folders[m_entries[i].folder]); }
    QString key(size_t i) const;
    bool keyEquals(size_t i, QStringView key) const;
    QStringView comment(size_t i) const;
    bool hasSize(size_t i) const { return m_entries[i].flags() & HasSize; }
    qint64 size(size_t i) const { return m_entries[i].size; }
    bool hasModified(size_t i) const { return m_entries[i].flags() & HasModified; }
    RecordDateTime modified(size_t i) const
    {
        return RecordDateTime::fromSeconds(m_entries[i].modified);
    }
    SearchRow::Image image(size_t i) const
    {
        return SearchRow::Image((m_entries[i].flags() >> ImageShift) & 3);
    }

private:
    enum Flag : uint8_t
    {
        HasSize = 1,
        HasModified = 2,
        FolderKey = 4, // the key is container key, name and "\"
        StoredKey = 8, // the key is stored with the row's extras
        ImageShift = 4,
        LongName = 64, // the name is stored with the row's extras
    };

    // A text in the blocks: block number and place packed into `at`.
    struct Span
    {
        uint32_t at;
        uint32_t length;
    };
    // 32 bytes: 65536 of them fill a huge page.
    struct Entry
    {
        static constexpr uint32_t kMaxLength = (uint32_t(1) << 24) - 1;
        uint32_t nameAt;
        uint32_t lengthAndFlags; // name length in the low 24 bits, flags in the high 8
        uint32_t folder;
        uint32_t extra; // 0, or 1 + index into m_extras
        qint64 size;
        qint64 modified;
        uint32_t nameLength() const { return lengthAndFlags & kMaxLength; }
        uint8_t flags() const { return uint8_t(lengthAndFlags >> 24); }
        void setFlags(uint8_t flags) { lengthAndFlags = nameLength() | (uint32_t(flags) << 24); }
        void addFlags(uint8_t flags) { setFlags(uint8_t(this->flags() | flags)); }
    };
    static_assert(sizeof(Entry) == 32);
    // What few rows have: a comment, a key that is not container key and name, a name
    // too long for an entry.
    struct Extra
    {
        QString comment;
        QString key;
        QString name;
    };

    static constexpr uint32_t kTextShift = 20;
    static constexpr uint32_t kTextBlock = uint32_t(1) << kTextShift;
    static constexpr uint32_t kFirstTextBlock = 4096;

    QStringView text(Span span) const
    {
        return QStringView(m_text[span.at >> kTextShift].data + (span.at & (kTextBlock - 1)),
                           qsizetype(span.length));
    }
    // Room for `length` characters in one block; returns where.
    char16_t* reserveText(uint32_t length, Span& span);
    Span addText(QStringView text);
    Span addDecoded(QByteArrayView bytes);
    void setName(Entry& entry, QStringView name);
    void setDecodedName(Entry& entry, QByteArrayView name);
    void addRow(Entry entry);
    Extra& extraOf(Entry& entry);

    BlockArray<Entry> m_entries;
    std::vector<Span> m_folders;
    std::vector<Extra> m_extras;
    struct TextBlock
    {
        char16_t* data;
        std::unique_ptr<char16_t[]> small;
        LargeBuffer large;
    };
    std::vector<TextBlock> m_text; // blocks of growing size
    uint32_t m_textUsed = 0;       // in the last block
    uint32_t m_textCapacity = 0;   // of the last block
    uint32_t m_nextTextBlock = kFirstTextBlock;
};

} // namespace dovrin::search
