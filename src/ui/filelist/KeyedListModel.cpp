#include "KeyedListModel.h"

#include "ParallelSort.h"
#include "list/SortValues.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace dovrin::ui {

namespace {

// Above this many new rows a sorted list sorts everything again instead of inserting each.
constexpr int kInsertOneByOneLimit = 64;

} // namespace

KeyedListModel::KeyedListModel(QVector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
    setCollationLocale(QLocale());
}

void KeyedListModel::setCollationLocale(const QLocale& locale)
{
    m_collation = TextCollation(locale);
    forgetTextKeys();
}

const CollationKeys& KeyedListModel::textKeys(int column) const
{
    if (column != m_textKeysColumn)
        forgetTextKeys();
    m_textKeysColumn = column;
    // Records appended since the keys were made get theirs now.
    m_textKeys.extend(recordCount(), m_collation, [this, column](int record, QString& buffer) {
        return recordTextView(record, column, buffer);
    });
    return m_textKeys;
}

void KeyedListModel::forgetTextKeys() const
{
    m_textKeys = CollationKeys();
    m_textKeysColumn = -1;
}

QStringView KeyedListModel::recordTextView(int record, int column, QString& buffer) const
{
    buffer = recordText(record, column);
    return buffer;
}

int KeyedListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int KeyedListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant KeyedListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int record = m_order[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return recordText(record, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(recordIcon(record)) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[index.column()].alignment);
    case KeyRole:
        return recordKey(record);
    case TagRole:
        return recordTag(record);
    default:
        return {};
    }
}

QVariant KeyedListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].header;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[section].alignment);
    return {};
}

QIcon KeyedListModel::recordIcon(int) const
{
    return {};
}

double KeyedListModel::recordValue(int record, int column) const
{
    return sortvalues::numberOfText(recordText(record, column));
}

RecordDateTime KeyedListModel::recordDate(int record, int column) const
{
    return sortvalues::dateOfText(recordText(record, column));
}

int KeyedListModel::recordOfKey(const QString& key) const
{
    for (int record = 0, n = recordCount(); record < n; ++record) {
        if (recordKey(record) == key)
            return record;
    }
    return -1;
}

int KeyedListModel::rowOfRecord(int record) const
{
    if (record < 0 || record >= int(m_order.size()))
        return -1;
    if (!m_rowOfRecordValid)
        rebuildRowOfRecord();
    return m_rowOfRecord[record];
}

int KeyedListModel::rowOfKey(const QString& key) const
{
    return rowOfRecord(recordOfKey(key));
}

void KeyedListModel::rebuildRowOfRecord() const
{
    m_rowOfRecord.assign(m_order.size(), -1);
    for (int row = 0; row < int(m_order.size()); ++row)
        m_rowOfRecord[m_order[row]] = row;
    m_rowOfRecordValid = true;
}

void KeyedListModel::setSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (m_sorted)
        applyOrder(sortedOrder(m_order, m_sortKey, ColumnSort::Text));
}

void KeyedListModel::updateSortKeyAndOrder(int column)
{
    if (m_sortKey == column) {
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    } else {
        m_sortKey = column;
        m_sortOrder = Qt::AscendingOrder;
    }
}

void KeyedListModel::sortByColumn(int column)
{
    if (column < 0 || column >= m_columns.size())
        return;
    switch (m_columns[column].sort) {
    case ColumnSort::Text:
        sortByText(column);
        break;
    case ColumnSort::Value:
        sortByValue(column);
        break;
    case ColumnSort::Date:
        sortByDate(column);
        break;
    }
}

void KeyedListModel::sortByText(int column)
{
    m_sorted = false;
    updateSortKeyAndOrder(column);
    setSorted(true);
}

void KeyedListModel::sortByValue(int column)
{
    sortRows(column, ColumnSort::Value);
}

void KeyedListModel::sortByDate(int column)
{
    sortRows(column, ColumnSort::Date);
}

void KeyedListModel::sortRows(int column, ColumnSort kind)
{
    m_sorted = false;
    updateSortKeyAndOrder(column);
    applyOrder(sortedOrder(m_order, column, kind));
}

void KeyedListModel::restoreRecordOrder()
{
    m_sorted = false;
    RowOrder order(m_order.size());
    std::iota(order.begin(), order.end(), 0);
    applyOrder(std::move(order));
}

RowOrder KeyedListModel::sortedOrder(RowOrder order, int column, ColumnSort kind) const
{
    if (column < 0 || column >= m_columns.size())
        return order;
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    // Each row's key is read once, with its present place, which orders equal keys.
    auto sortOn = [&](auto keyOf) {
        using Key = decltype(keyOf(0));
        struct Item
        {
            Key key;
            int position;
        };
        search::LargeVector<Item> items(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            items[i] = Item{keyOf(order[i]), int(i)};
        parallelSort(
            items.begin(), items.end(),
            [ascending](const Item& a, const Item& b) {
                if (a.key != b.key)
                    return ascending ? a.key < b.key : b.key < a.key;
                return a.position < b.position;
            },
            threadsFor(items.size()));
        RowOrder sorted(order.size());
        for (size_t i = 0; i < items.size(); ++i)
            sorted[i] = order[size_t(items[i].position)];
        return sorted;
    };
    RowOrder sorted;
    switch (kind) {
    case ColumnSort::Text:
        sorted = textKeys(column).sorted(order, ascending);
        break;
    case ColumnSort::Value:
        sorted = sortOn([&](int record) {
            const double value = recordValue(record, column);
            return std::isnan(value) ? -HUGE_VAL : value; // a total order for the sort
        });
        break;
    case ColumnSort::Date:
        sorted = sortOn([&](int record) { return recordDate(record, column).seconds(); });
        break;
    default:
        return order;
    }
    // Grouped rows sort within their group: the groups keep their order, each in the
    // column's order, which a stable sort by group alone leaves in place.
    if (isGrouped())
        std::stable_sort(sorted.begin(), sorted.end(),
                         [this](int a, int b) { return recordGroup(a) < recordGroup(b); });
    return sorted;
}

void KeyedListModel::applyOrder(RowOrder order)
{
    if (order == m_order)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    RowOrder rowOf(order.size());
    for (int row = 0; row < int(order.size()); ++row)
        rowOf[order[row]] = row;
    for (const QModelIndex& index : before)
        after.append(this->index(rowOf[m_order[index.row()]], index.column()));
    m_order = std::move(order);
    m_rowOfRecord = std::move(rowOf);
    m_rowOfRecordValid = true;
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void KeyedListModel::beginResetRecords()
{
    beginResetModel();
    forgetTextKeys();
}

void KeyedListModel::endResetRecords()
{
    const int records = recordCount();
    RowOrder order(records);
    std::iota(order.begin(), order.end(), 0);
    m_order =
        m_sorted ? sortedOrder(std::move(order), m_sortKey, ColumnSort::Text) : std::move(order);
    m_rowOfRecordValid = false;
    endResetModel();
}

void KeyedListModel::recordsAppended(int count)
{
    const int first = int(m_order.size());
    if (count <= 0)
        return;
    if (!m_sorted) {
        beginInsertRows({}, first, first + count - 1);
        for (int record = first; record < first + count; ++record)
            m_order.push_back(record);
        m_rowOfRecordValid = false;
        endInsertRows();
        return;
    }
    if (count > kInsertOneByOneLimit) {
        beginInsertRows({}, first, first + count - 1);
        for (int record = first; record < first + count; ++record)
            m_order.push_back(record);
        m_rowOfRecordValid = false;
        endInsertRows();
        applyOrder(sortedOrder(m_order, m_sortKey, ColumnSort::Text));
        return;
    }
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    const CollationKeys& keys = textKeys(m_sortKey);
    for (int record = first; record < first + count; ++record) {
        // After the rows that sort equal to it, as a list control inserts.
        const bool grouped = isGrouped();
        const auto at = std::upper_bound(m_order.begin(), m_order.end(), record, [&](int a, int b) {
            if (grouped && recordGroup(a) != recordGroup(b))
                return recordGroup(a) < recordGroup(b);
            const int c = keys.compare(a, b);
            return ascending ? c < 0 : c > 0;
        });
        const int row = int(at - m_order.begin());
        beginInsertRows({}, row, row);
        m_order.insert(at, record);
        m_rowOfRecordValid = false;
        endInsertRows();
    }
}

void KeyedListModel::recordChanged(int record, int column)
{
    const int row = rowOfRecord(record);
    if (row < 0)
        return;
    const QModelIndex changed = index(row, column);
    forgetTextKeys();
    Q_EMIT dataChanged(changed, changed);
    if (m_sorted && column == m_sortKey)
        applyOrder(sortedOrder(m_order, m_sortKey, ColumnSort::Text));
}

} // namespace dovrin::ui
