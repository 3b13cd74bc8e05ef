#include "KeyedListView.h"

#include "KeyedListModel.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace dovrin::ui {

KeyedListView::KeyedListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &KeyedListView::columnClick);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (m_model && index.isValid())
            Q_EMIT rowActivated(m_model->key(index.row()));
    });
}

void KeyedListView::setListModel(KeyedListModel* model)
{
    m_model = model;
    setModel(model);
}

int KeyedListView::rowCount() const
{
    return m_model ? m_model->rowCount() : 0;
}

QString KeyedListView::rowKey(int row) const
{
    return m_model && row >= 0 && row < m_model->rowCount() ? m_model->key(row) : QString();
}

QString KeyedListView::rowTag(int row) const
{
    return m_model && row >= 0 && row < m_model->rowCount() ? m_model->tag(row) : QString();
}

int KeyedListView::rowOfKey(const QString& key) const
{
    return m_model ? m_model->rowOfKey(key) : -1;
}

int KeyedListView::currentRow() const
{
    const QModelIndexList selected =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString KeyedListView::currentKey() const
{
    return rowKey(currentRow());
}

void KeyedListView::selectRow(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

bool KeyedListView::selectKey(const QString& key)
{
    const int row = rowOfKey(key);
    if (row < 0)
        return false;
    selectRow(row);
    return true;
}

void KeyedListView::columnClick(int column)
{
    if (!m_model)
        return;
    m_model->sortByColumn(column);
    showSortIndicator(true);
    if (const QModelIndex current = currentIndex(); current.isValid())
        scrollTo(current);
    Q_EMIT columnSorted(column);
}

void KeyedListView::unsort()
{
    if (m_model)
        m_model->restoreRecordOrder();
    showSortIndicator(false);
}

void KeyedListView::showSortIndicator(bool shown)
{
    // Also corrects the arrow that the header flips by itself before reporting the click.
    header()->setSortIndicatorShown(shown && m_model);
    if (shown && m_model)
        header()->setSortIndicator(m_model->sortKey(), m_model->sortOrder());
}

int KeyedListView::columnWidthPixels(int column) const
{
    return header()->sectionSize(column);
}

void KeyedListView::setColumnWidthPixels(int column, int pixels)
{
    header()->resizeSection(column, pixels);
}

void KeyedListView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::RightButton || rowCount() == 0)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    selectRow(index.row());
    Q_EMIT rowContextMenuRequested(m_model->key(index.row()), event->globalPosition().toPoint());
}

} // namespace dovrin::ui
