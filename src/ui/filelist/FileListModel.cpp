#include "FileListModel.h"

#include "FileIcons.h"
#include "store/DatabaseView.h"

namespace dovrin::ui {

FileListModel::FileListModel(QObject* parent)
    : KeyedListModel(
          {{QStringLiteral("Name"), ColumnSort::Text},
           {QStringLiteral("Size"), ColumnSort::Value, Qt::AlignRight | Qt::AlignVCenter},
           {QStringLiteral("Modified"), ColumnSort::Date},
           {QStringLiteral("File comments"), ColumnSort::Text}},
          parent)
{
}

void FileListModel::setDisplayLocale(const QLocale& locale)
{
    beginResetRecords();
    m_format = DisplayFormat(locale);
    setCollationLocale(locale);
    endResetRecords();
}

QString FileListModel::longValueText(int column) const
{
    if (column == SizeColumn)
        return m_format.size(999'999'999);
    if (column == ModifiedColumn)
        return m_format.dateTime(
            RecordDateTime::fromDateAndTime(QDate(2026, 12, 28), QTime(23, 59, 59)));
    return {};
}

void FileListModel::setListing(FolderListing listing)
{
    beginResetRecords();
    m_listing = std::move(listing);
    const QVector<ListingRow>& rows = m_listing.rows();
    m_images.resize(rows.size());
    const int closed = platform::getFileIcon(QString(), platform::FileIconKind::ClosedFolder);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        m_images[i] = rows[i].isFolder
                          ? closed
                          : platform::getFileIcon(rows[i].name, platform::FileIconKind::File);
    }
    endResetRecords();
}

void FileListModel::clear()
{
    setListing(FolderListing());
}

bool FileListModel::setComment(const QString& key, const QString& comment)
{
    const int record = recordOfKey(key);
    if (record < 0)
        return false;
    m_listing.rows()[record].comment = comment;
    recordChanged(record, CommentColumn);
    return true;
}

QString FileListModel::recordText(int record, int column) const
{
    const ListingRow& row = m_listing.rows().at(record);
    switch (column) {
    case NameColumn:
        return row.name;
    case SizeColumn:
        return row.isFolder ? QString() : m_format.size(row.size);
    case ModifiedColumn:
        return row.isFolder ? QString() : m_format.dateTime(row.modified);
    case CommentColumn:
        return row.comment;
    default:
        return {};
    }
}

QString FileListModel::recordTag(int record) const
{
    return m_listing.rows().at(record).isFolder ? tags::kFolder : tags::kFile;
}

QIcon FileListModel::recordIcon(int record) const
{
    return platform::BoxImages::shared().icon(m_images[record]);
}

// The values the sorts would read back from the shown texts, without formatting them.
double FileListModel::recordValue(int record, int column) const
{
    const ListingRow& row = m_listing.rows().at(record);
    if (column == SizeColumn)
        return row.isFolder ? 0 : double(row.size);
    return KeyedListModel::recordValue(record, column);
}

RecordDateTime FileListModel::recordDate(int record, int column) const
{
    const ListingRow& row = m_listing.rows().at(record);
    if (column == ModifiedColumn)
        return row.isFolder ? RecordDateTime::zero() : row.modified;
    return KeyedListModel::recordDate(record, column);
}

// Row keys are the listed key and the name (and "\" for folders): compare names only.
int FileListModel::recordOfKey(const QString& key) const
{
    const QString& listed = m_listing.key();
    if (listed.isEmpty() || !key.startsWith(listed))
        return -1;
    QStringView name = QStringView(key).sliced(listed.size());
    const bool folder = name.endsWith(u'\\');
    if (folder)
        name.chop(1);
    const QVector<ListingRow>& rows = m_listing.rows();
    for (int record = 0; record < rows.size(); ++record) {
        if (rows[record].isFolder == folder && rows[record].name == name)
            return record;
    }
    return -1;
}

} // namespace dovrin::ui
