#pragma once

#include <QTreeView>

namespace dovrin::ui {

class KeyedListModel;

// A report-style view of a KeyedListModel: one selected row, uniform row heights, a header
// whose clicks sort by the clicked column's kind (text, value or date) with the list's sort
// state, rows found by key, and column widths in pixels.
class KeyedListView : public QTreeView
{
    Q_OBJECT

public:
    explicit KeyedListView(QWidget* parent = nullptr);

    // The view does not own the model.
    void setListModel(KeyedListModel* model);
    KeyedListModel* listModel() const { return m_model; }

    int rowCount() const;
    QString rowKey(int row) const;
    QString rowTag(int row) const;
    int rowOfKey(const QString& key) const;

    // The key of the current (selected) row; empty when none.
    QString currentKey() const;
    int currentRow() const;
    // Selects the row with this key, makes it current and scrolls it into view.
    bool selectKey(const QString& key);
    void selectRow(int row);

    // A header click: sorts by the column and shows the sort state in the header.
    void columnClick(int column);
    // Sorted off, rows back in the order they were added.
    void unsort();

    int columnWidthPixels(int column) const;
    void setColumnWidthPixels(int column, int pixels);

Q_SIGNALS:
    // A header click sorted the list (the window enables "Unsort").
    void columnSorted(int column);
    // A double click or Enter on a row.
    void rowActivated(const QString& key);
    // The right button pressed on a row, which is now selected.
    void rowContextMenuRequested(const QString& key, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // The header's arrow: shown while the rows stand in the order of a sort.
    void showSortIndicator(bool shown);

private:
    KeyedListModel* m_model = nullptr;
};

} // namespace dovrin::ui
