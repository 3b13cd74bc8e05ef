#pragma once

#include "common/DisplayFormat.h"
#include "search/ResultRows.h"
#include "search/SearchRow.h"

#include <QByteArray>

namespace dovrin::cli {

// Prints each row as one tab-separated line (key, Name, In Folder, Size, Modified, File
// comments) on stdout, in large blocks.
class RowPrinter final : public search::SearchSink
{
public:
    explicit RowPrinter(const DisplayFormat& format);
    ~RowPrinter() override { flush(); }

    void clear() override {}
    void addRow(const search::SearchRow& row) override;
    // The same lines, read from the compact rows without making a row of each.
    void addRows(const search::ResultRows& rows, size_t first, size_t count) override;
    // A line of its own: a status text, or an empty line between groups.
    void printLine(const QString& text);
    void flush();

private:
    void append(QStringView text);

    const DisplayFormat& m_format;
    QByteArray m_buffer;
};

} // namespace dovrin::cli
