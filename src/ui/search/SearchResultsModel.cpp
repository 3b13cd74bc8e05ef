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
    m_images.clear();
    m_images.shrink_to_fit();
    m_published = 0;
    endResetRecords();
}

void SearchResultsModel::addRow(const SearchRow& row)
{
    m_rows.append(row);
}

void SearchResultsModel::addRows(const search::ResultRows& rows, size_t first, size_t count)
{
    m_rows.append(rows, first, count);
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
    const size_t i = size_t(record);
    switch (column) {
    case NameColumn:
        return m_rows.name(i).toString();
    case InFolderColumn:
        return m_rows.inFolder(i).toString();
    case SizeColumn:
        return m_rows.hasSize(i) ? m_format.size(m_rows.size(i)) : QString();
    case ModifiedColumn:
        return m_rows.hasModified(i) ? m_format.dateTime(m_rows.modified(i)) : QString();
    case CommentColumn:
        return m_rows.comment(i).toString();
    default:
        return {};
    }
}

QStringView SearchResultsModel::recordTextView(int record, int column, QString& buffer) const
{
    const size_t i = size_t(record);
    switch (column) {
    case NameColumn:
        return m_rows.name(i);
    case InFolderColumn:
        return m_rows.inFolder(i);
    case CommentColumn:
        return m_rows.comment(i);
    default:
        buffer = recordText(record, column);
        return buffer;
    }
}

int SearchResultsModel::recordOfKey(const QString& key) const
{
    for (int record = 0; record < m_published; ++record) {
        if (m_rows.keyEquals(size_t(record), key))
            return record;
    }
    return -1;
}

QString SearchResultsModel::recordTag(int record) const
{
    return m_rows.image(size_t(record)) == SearchRow::Image::FileType ? tags::kFile : tags::kFolder;
}

// Images are looked up when a row is first shown, not for every row of a long list.
QIcon SearchResultsModel::recordIcon(int record) const
{
    int& image = m_images[size_t(record)];
    if (image == -1) {
        switch (m_rows.image(size_t(record))) {
        case SearchRow::Image::FileType:
            image = platform::getFileIcon(m_rows.name(size_t(record)).toString(),
                                          platform::FileIconKind::File);
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
    if (column == SizeColumn)
        return m_rows.hasSize(size_t(record)) ? double(m_rows.size(size_t(record))) : 0;
    return KeyedListModel::recordValue(record, column);
}

RecordDateTime SearchResultsModel::recordDate(int record, int column) const
{
    if (column == ModifiedColumn)
        return m_rows.hasModified(size_t(record)) ? m_rows.modified(size_t(record))
                                                  : RecordDateTime::zero();
    return KeyedListModel::recordDate(record, column);
}

} // namespace dovrin::ui
