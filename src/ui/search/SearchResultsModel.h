#pragma once

#include "common/DisplayFormat.h"
#include "filelist/KeyedListModel.h"
#include "search/ResultRows.h"
#include "search/SearchRow.h"

#include <vector>

namespace dovrin::ui {

// The search window's results: one row per result with the columns "Name", "In Folder",
// "Size", "Modified" and "File comments". It is the engine's sink; rows added during a
// search are shown in batches, at each publish() (the window calls it when it lets events
// through, and at the end). The rows are kept compact (search::ResultRows): a list of
// everything on a large database holds millions.
class SearchResultsModel : public KeyedListModel, public search::SearchSink
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn,
        InFolderColumn,
        SizeColumn,
        ModifiedColumn,
        CommentColumn
    };

    explicit SearchResultsModel(QObject* parent = nullptr);

    // SearchSink: clear() empties the list and switches sorting off, so new rows stay in
    // the order added.
    void clear() override;
    void addRow(const search::SearchRow& row) override;
    void addRows(const search::ResultRows& rows, size_t first, size_t count) override;
    // Shows the rows added since the last call.
    void publish();

    // The shown row `row` (top to bottom) whole.
    search::SearchRow result(int row) const { return m_rows.row(size_t(recordOfRow(row))); }
    // Size and date texts follow this locale.
    void setDisplayLocale(const QLocale& locale);

protected:
    int recordCount() const override { return m_published; }
    QString recordText(int record, int column) const override;
    QStringView recordTextView(int record, int column, QString& buffer) const override;
    QString recordKey(int record) const override { return m_rows.key(size_t(record)); }
    int recordOfKey(const QString& key) const override;
    QString recordTag(int record) const override;
    QIcon recordIcon(int record) const override;
    double recordValue(int record, int column) const override;
    RecordDateTime recordDate(int record, int column) const override;

private:
    search::ResultRows m_rows;
    int m_published = 0;
    mutable std::vector<int> m_images; // image index per shown record, -1 until first shown
    DisplayFormat m_format;
};

} // namespace dovrin::ui
