#include "SearchResultsModel.h"

#include "FileIcons.h"
#include "store/DatabaseView.h"

namespace dovrin::ui {

using search::SearchRow;

SearchResultsModel::SearchResultsModel(QObject* parent)
    : KeyedListModel(
          {{QStringLiteral("Name"), ColumnSort::Text},
           {QStringLiteral("In Folder"), ColumnSort::Text},
           {QStringLiteral("Size"), ColumnSort::Value, Qt::AlignRight | Qt::AlignVCenter},
           {QStringLiteral("Modified"), ColumnSort::Date},
           {QStringLiteral("File comments"), ColumnSort::Text}},
          parent)
{
}

void SearchResultsModel::setDisplayLocale(const QLocale& locale)
{
    beginResetRecords();
    m_format = DisplayFormat(locale);
    setCollationLocale(locale);
    endResetRecords();
}

void SearchResultsModel::clear()
{
    beginResetRecords();
    setSorted(false);
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_images.clear();
    m_images.shrink_to_fit();
    m_published = 0;
    endResetRecords();
}

void SearchResultsModel::addRow(const SearchRow& row)
{
    m_rows.push_back(row);
}

void SearchResultsModel::publish()
{
    const int added = int(m_rows.size()) - m_published;
    if (added <= 0)
        return;
    m_images.resize(m_rows.size(), -1);
    m_published = int(m_rows.size());
    recordsAppended(added);
}

QString SearchResultsModel::recordText(int record, int column) const
{
    const SearchRow& row = m_rows[size_t(record)];
    switch (column) {
    case NameColumn:
        return row.name;
    case InFolderColumn:
        return row.inFolder;
    case SizeColumn:
        return row.hasSize ? m_format.size(row.size) : QString();
    case ModifiedColumn:
        return row.hasModified ? m_format.dateTime(row.modified) : QString();
    case CommentColumn:
        return row.comment;
    default:
        return {};
    }
}

QString SearchResultsModel::recordTag(int record) const
{
    return m_rows[size_t(record)].image == SearchRow::Image::FileType ? tags::kFile : tags::kFolder;
}

// Images are looked up when a row is first shown, not for every row of a long list.
QIcon SearchResultsModel::recordIcon(int record) const
{
    int& image = m_images[size_t(record)];
    if (image < 0) {
        const SearchRow& row = m_rows[size_t(record)];
        switch (row.image) {
        case SearchRow::Image::FileType:
            image = platform::getFileIcon(row.name, platform::FileIconKind::File);
            break;
        case SearchRow::Image::Closed:
            image = platform::BoxImages::shared().indexOf(QStringLiteral("closed"));
            break;
        case SearchRow::Image::Disk:
            image = platform::BoxImages::shared().indexOf(QStringLiteral("disk"));
            break;
        }
    }
    return platform::BoxImages::shared().icon(image);
}

double SearchResultsModel::recordValue(int record, int column) const
{
    const SearchRow& row = m_rows[size_t(record)];
    if (column == SizeColumn)
        return row.hasSize ? double(row.size) : 0;
    return KeyedListModel::recordValue(record, column);
}

RecordDateTime SearchResultsModel::recordDate(int record, int column) const
{
    const SearchRow& row = m_rows[size_t(record)];
    if (column == ModifiedColumn)
        return row.hasModified ? row.modified : RecordDateTime::zero();
    return KeyedListModel::recordDate(record, column);
}

} // namespace dovrin::ui
