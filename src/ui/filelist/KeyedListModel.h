#pragma once

#include "CollationKeys.h"
#include "store/RecordDateTime.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QVector>

namespace dovrin::ui {

// How a click on a column's header sorts the list.
enum class ColumnSort
{
    Text,
    Value,
    Date
};

struct ListColumn
{
    QString header;
    ColumnSort sort = ColumnSort::Text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// A report-style list of keyed, tagged rows with the sort state of a list control:
// `sorted` keeps the rows ordered by the text of column `sortKey` (also rows added later);
// the numeric and date sorts reorder the rows present once. Rows are records held by the
// subclass, in the order they were added; the list shows them through an index array that
// the sorts reorder on precomputed keys, so sorting never copies a row. A long list is
// sorted on every core: for it the record readers (recordText() and the others) are
// called from several threads at once, and must only read.
class KeyedListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        TagRole
    };

    explicit KeyedListModel(QVector<ListColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const QVector<ListColumn>& columns() const { return m_columns; }
    // Shown rows, top to bottom.
    QString key(int row) const { return recordKey(m_order.at(row)); }
    QString tag(int row) const { return recordTag(m_order.at(row)); }
    QString text(int row, int column) const { return recordText(m_order.at(row), column); }
    int recordOfRow(int row) const { return m_order.at(row); }
    int rowOfRecord(int record) const;
    // The row whose key is `key`, or -1.
    int rowOfKey(const QString& key) const;

    // The sort state.
    bool isSorted() const { return m_sorted; }
    int sortKey() const { return m_sortKey; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Switching on orders the rows by the text of the sort key column; switching off leaves
    // them where they are.
    void setSorted(bool sorted);

    // A click on a header: the sort of its column. Same column again reverses the order,
    // another column starts ascending.
    void sortByColumn(int column);
    // Text sort: sorted off, key and order updated, sorted on.
    void sortByText(int column);
    // Numeric and date sorts (zero-based column): reorder the present rows by value.
    void sortByValue(int column);
    void sortByDate(int column);
    // Sorted off and the rows back in the order they were added.
    void restoreRecordOrder();

    // The locale whose collation orders text sorts.
    void setCollationLocale(const QLocale& locale);

protected:
    virtual int recordCount() const = 0;
    virtual QString recordText(int record, int column) const = 0;
    // The same text without a copy where the subclass holds it; by default recordText()
    // put into `buffer`.
    virtual QStringView recordTextView(int record, int column, QString& buffer) const;
    virtual QString recordKey(int record) const = 0;
    virtual QString recordTag(int record) const = 0;
    virtual QIcon recordIcon(int record) const;
    // The sort values of a cell: by default read from its text (sortvalues rules).
    // Subclasses that hold the numbers return them directly.
    virtual double recordValue(int record, int column) const;
    virtual RecordDateTime recordDate(int record, int column) const;
    // The record whose key is `key`, or -1; by default a walk over every record.
    virtual int recordOfKey(const QString& key) const;
    // A list of groups keeps the rows of a group together, the groups in ascending order, and
    // its sorts order the rows within each group. By default there are no groups.
    virtual bool isGrouped() const { return false; }
    virtual int recordGroup(int record) const { return 0; }

    // Around replacing every record: the rows then show in record order (text-sorted when
    // sorted is on).
    void beginResetRecords();
    void endResetRecords();
    // After appending `count` records at the end: they show at the end, or at their sorted
    // places when sorted is on.
    void recordsAppended(int count);
    // After changing one record's cell.
    void recordChanged(int record, int column);

private:
    void updateSortKeyAndOrder(int column);
    void sortRows(int column, ColumnSort kind);
    RowOrder sortedOrder(RowOrder order, int column, ColumnSort kind) const;
    void applyOrder(RowOrder order);
    void rebuildRowOfRecord() const;
    // Collation keys of a column's texts, per record; kept until the records change.
    const CollationKeys& textKeys(int column) const;
    void forgetTextKeys() const;

    QVector<ListColumn> m_columns;
    RowOrder m_order;               // row -> record
    mutable RowOrder m_rowOfRecord; // record -> row, built on demand
    mutable bool m_rowOfRecordValid = false;
    bool m_sorted = false;
    int m_sortKey = -1; // no column yet: the first click on any header ascends
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    TextCollation m_collation;
    mutable CollationKeys m_textKeys;
    mutable int m_textKeysColumn = -1;
};

} // namespace dovrin::ui
