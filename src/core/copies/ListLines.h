#pragma once

#include "store/RecordDateTime.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>

namespace dovrin::copies {

// One line of a file-list file: a folder line (its key) or a file line (name, size, date).
struct ListLine
{
    bool folder = false;
    QByteArrayView name; // the folder key or the file name, as stored
    QByteArrayView rest; // what follows the first field: ",1234,#2026-03-01 10:15:00#"
};

// The lines of a file-list file held in memory, read as the search reads them: one item a
// line, its first field quoted or bare; a blank line or an empty first field ends the list.
// Line feeds and quotes are found through bit masks of 4 KB windows of the data, built 16
// bytes at a time: ten million short lines cost no library call each.
class ListLines
{
public:
    explicit ListLines(QByteArrayView data)
        : m_begin(data.data()), m_p(data.data()), m_end(data.data() + data.size())
    {
    }
    bool next(ListLine& line);

private:
    static constexpr size_t kWindowChunks = 64; // of 64 bytes each

    // The first quote (or line feed) in [p, limit), or limit.
    const char* findMarked(bool quote, const char* p, const char* limit);
    void loadWindow(size_t firstChunk);

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    size_t m_windowStart = 0;
    size_t m_windowChunks = 0;
    uint64_t m_lineFeeds[kWindowChunks];
    uint64_t m_quotes[kWindowChunks];
};

// The size of a file line (its second field); 0 when it does not read as one.
qint64 sizeOf(QByteArrayView rest);
// The modified date-time of a file line (its third field); the zero date when it has none.
RecordDateTime modifiedOf(QByteArrayView rest);

// A whole file read into memory through one buffer that is reused from file to file.
class WholeFile
{
public:
    // False when the file cannot be opened or read; data() is then empty.
    bool read(const QString& nativePath);
    QByteArrayView data() const { return {m_buffer.get(), m_size}; }

private:
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
};

} // namespace dovrin::copies
