#pragma once

#include "common/DisplayFormat.h"
#include "filelist/KeyedListModel.h"
#include "search/SearchRow.h"

#include <vector>

namespace dovrin::ui {

// The rows of the copies window and of the verify report: the search window's columns, in
// groups (a group of copies, or one kind of difference) that stay together when a header
// sorts the rows, every other group shaded. The report puts a "Kind" column first. Rows added
// while the work runs are shown at each publish().
class CopiesResultsModel : public KeyedListModel
{
    Q_OBJECT

public:
    explicit CopiesResultsModel(bool withKind, QObject* parent = nullptr);

    void clear();
    void addRow(const search::SearchRow& row, int group, const QString& kind = {});
    void publish();

    const search::SearchRow& result(int row) const { return m_rows[size_t(recordOfRow(row))].row; }
    int group(int row) const { return m_rows[size_t(recordOfRow(row))].group; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    int recordCount() const override { return m_published; }
    QString recordText(int record, int column) const override;
    QString recordKey(int record) const override { return m_rows[size_t(record)].row.key; }
    QString recordTag(int record) const override;
    double recordValue(int record, int column) const override;
    RecordDateTime recordDate(int record, int column) const override;
    bool isGrouped() const override { return true; }
    int recordGroup(int record) const override { return m_rows[size_t(record)].group; }

private:
    struct Row
    {
        search::SearchRow row;
        int group;
        QString kind;
    };
    QIcon rowIcon(int record) const;

    int m_first; // the column of "Name": 1 after "Kind", else 0
    std::vector<Row> m_rows;
    int m_published = 0;
    mutable std::vector<int> m_images; // image index per record, -1 until first shown
    DisplayFormat m_format;
};

} // namespace dovrin::ui
