#pragma once

#include "SearchRow.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace dovrin::search {

// Grows block by block, so a million entries are never copied into a larger array and the
// peak stays at what is held.
template <typename T> class BlockArray
{
public:
    static constexpr size_t kShift = 14;
    static constexpr size_t kBlock = size_t(1) << kShift;

    size_t size() const { return m_size; }
    T& operator[](size_t i) { return m_blocks[i >> kShift][i & (kBlock - 1)]; }
    const T& operator[](size_t i) const { return m_blocks[i >> kShift][i & (kBlock - 1)]; }
    void push_back(const T& value)
    {
        if ((m_size & (kBlock - 1)) == 0 && (m_size >> kShift) == m_blocks.size())
            m_blocks.push_back(std::make_unique<T[]>(kBlock));
        (*this)[m_size++] = value;
    }
    void clear()
    {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_size = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    size_t m_size = 0;
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
    QStringView name(size_t i) const { return text(m_entries[i].name); }
    QStringView inFolder(size_t i) const { return text(m_folders[m_entries[i].folder]); }
    QString key(size_t i) const;
    bool keyEquals(size_t i, QStringView key) const;
    QStringView comment(size_t i) const;
    bool hasSize(size_t i) const { return m_entries[i].flags & HasSize; }
    qint64 size(size_t i) const { return m_entries[i].size; }
    bool hasModified(size_t i) const { return m_entries[i].flags & HasModified; }
    RecordDateTime modified(size_t i) const
    {
        return RecordDateTime::fromSeconds(m_entries[i].modified);
    }
    SearchRow::Image image(size_t i) const
    {
        return SearchRow::Image((m_entries[i].flags >> ImageShift) & 3);
    }

private:
    enum Flag : uint8_t
    {
        HasSize = 1,
        HasModified = 2,
        FolderKey = 4, // the key is container key, name and "\"
        StoredKey = 8, // the key is stored with the row's extras
        ImageShift = 4,
    };

    // A text in the blocks: block number and place packed into `at`.
    struct Span
    {
        uint32_t at = 0;
        uint32_t length = 0;
    };
    struct Entry
    {
        Span name;
        uint32_t folder = 0;
        uint32_t extra = 0; // 0, or 1 + index into m_extras
        qint64 size = 0;
        qint64 modified = 0;
        uint8_t flags = 0;
    };
    // What few rows have: a comment, a key that is not container key and name.
    struct Extra
    {
        QString comment;
        QString key;
    };

    static constexpr uint32_t kTextShift = 20;
    static constexpr uint32_t kTextBlock = uint32_t(1) << kTextShift;

    QStringView text(Span span) const
    {
        return QStringView(m_text[span.at >> kTextShift].get() + (span.at & (kTextBlock - 1)),
                           qsizetype(span.length));
    }
    // Room for `length` characters in one block; returns where.
    char16_t* reserveText(uint32_t length, Span& span);
    Span addText(QStringView text);
    Span addDecoded(QByteArrayView bytes);
    void addRow(Entry entry);
    Extra& extraOf(Entry& entry);

    BlockArray<Entry> m_entries;
    std::vector<Span> m_folders;
    std::vector<Extra> m_extras;
    std::vector<std::unique_ptr<char16_t[]>> m_text;
    uint32_t m_textUsed = kTextBlock; // in the last block; full: the next text starts a block
};

} // namespace dovrin::search
