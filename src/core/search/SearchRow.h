#pragma once

#include "store/RecordDateTime.h"

#include <QString>

namespace dovrin::search {

// One row of the search results, as the window's list and the command-line tool show it.
struct SearchRow
{
    // The small image: a file type's image (looked up by the name), a closed folder, a disk.
    enum class Image
    {
        FileType,
        Closed,
        Disk
    };

    QString key;      // tree key of the file, folder or disk, or the comment's key
    QString name;     // column "Name"
    QString inFolder; // column "In Folder": the container key
    qint64 size = 0;
    bool hasSize = false; // false: the "Size" cell is empty
    RecordDateTime modified;
    bool hasModified = false; // false: the "Modified" cell is empty
    QString comment;          // column "File comments"
    Image image = Image::FileType;
};

class ResultRows;

// Where a search puts its rows: the window's list model, the tool's output, a test's list.
class SearchSink
{
public:
    virtual ~SearchSink() = default;
    // Removes the rows of the previous search; new rows then stay in the order added.
    virtual void clear() = 0;
    virtual void addRow(const SearchRow& row) = 0;
    // Rows [first, first + count) of `rows`, in order; by default one addRow() each. Sinks
    // that keep many rows take them in their compact form.
    virtual void addRows(const ResultRows& rows, size_t first, size_t count);
};

} // namespace dovrin::search
