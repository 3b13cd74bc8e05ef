#include "CopiesResultsModel.h"

#include "BoxImages.h"
#include "FileIcons.h"
#include "store/DatabaseView.h"

#include <QPalette>

namespace dovrin::ui {

using search::SearchRow;

namespace {

QVector<ListColumn> columnsOf(bool withKind)
{
    QVector<ListColumn> columns = {
        {QStringLiteral("Name"), ColumnSort::Text},
        {QStringLiteral("In Folder"), ColumnSort::Text},
        {QStringLiteral("Size"), ColumnSort::Value, Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("Modified"), ColumnSort::Date},
        {QStringLiteral("File comments"), ColumnSort::Text}};
    if (withKind)
        columns.prepend({QStringLiteral("Kind"), ColumnSort::Text});
    return columns;
}

} // namespace

CopiesResultsModel::CopiesResultsModel(bool withKind, QObject* parent)
    : KeyedListModel(columnsOf(withKind), parent), m_first(withKind ? 1 : 0)
{
}

void CopiesResultsModel::clear()
{
    beginResetRecords();
    setSorted(false);
    m_rows.clear();
    m_images.clear();
    m_published = 0;
    endResetRecords();
}

void CopiesResultsModel::addRow(const SearchRow& row, int group, const QString& kind)
{
    m_rows.push_back(Row{row, group, kind});
}

void CopiesResultsModel::publish()
{
    const int added = int(m_rows.size()) - m_published;
    if (added <= 0)
        return;
    m_images.resize(m_rows.size(), -1);
    m_published = int(m_rows.size());
    recordsAppended(added);
}

QVariant CopiesResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DecorationRole:
        return index.column() == m_first ? QVariant(rowIcon(recordOfRow(index.row()))) : QVariant();
    case Qt::BackgroundRole:
        // Every other group shaded, so that one group is told from the next.
        return group(index.row()) % 2 ? QVariant(QPalette().alternateBase()) : QVariant();
    default:
        return KeyedListModel::data(index, role);
    }
}

QString CopiesResultsModel::recordText(int record, int column) const
{
    const Row& r = m_rows[size_t(record)];
    switch (column - m_first) {
    case -1:
        return r.kind;
    case 0:
        return r.row.name;
    case 1:
        return r.row.inFolder;
    case 2:
        return r.row.hasSize ? m_format.size(r.row.size) : QString();
    case 3:
        return r.row.hasModified ? m_format.dateTime(r.row.modified) : QString();
    case 4:
        return r.row.comment;
    default:
        return {};
    }
}

QString CopiesResultsModel::recordTag(int record) const
{
    return m_rows[size_t(record)].row.image == SearchRow::Image::FileType ? tags::kFile
                                                                          : tags::kFolder;
}

QIcon CopiesResultsModel::rowIcon(int record) const
{
    int& image = m_images[size_t(record)];
    if (image < 0) {
        const SearchRow& row = m_rows[size_t(record)].row;
        image = row.image == SearchRow::Image::FileType
                    ? platform::getFileIcon(row.name, platform::FileIconKind::File)
                    : platform::BoxImages::shared().indexOf(QStringLiteral("closed"));
    }
    return platform::BoxImages::shared().icon(image);
}

double CopiesResultsModel::recordValue(int record, int column) const
{
    const SearchRow& row = m_rows[size_t(record)].row;
    if (column == m_first + 2)
        return row.hasSize ? double(row.size) : 0;
    return KeyedListModel::recordValue(record, column);
}

RecordDateTime CopiesResultsModel::recordDate(int record, int column) const
{
    const SearchRow& row = m_rows[size_t(record)].row;
    if (column == m_first + 3)
        return row.hasModified ? row.modified : RecordDateTime::zero();
    return KeyedListModel::recordDate(record, column);
}

} // namespace dovrin::ui
