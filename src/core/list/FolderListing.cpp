#include "FolderListing.h"

#include "comments/CommentStore.h"
#include "common/DisplayFormat.h"
#include "store/DiskRecord.h"
#include "store/Keys.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QSet>

namespace dovrin {

namespace {

const QString kBackslash = QStringLiteral("\\");

// "#,#": a whole number, thousands grouped, halves rounded away from zero.
QString groupedWhole(qint64 value, qint64 divisor, QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(DisplayFormat::roundedQuotient(value, divisor));
}

} // namespace

QString FolderListing::rowKey(int row) const
{
    const ListingRow& r = m_rows.at(row);
    return r.isFolder ? m_key + r.name + kBackslash : m_key + r.name;
}

QString FolderListing::locationText(const QString& key)
{
    return key.startsWith(u'.') ? key.mid(1) : key;
}

QString FolderListing::summaryText(const QLocale& locale) const
{
    const QString count = signedNumberText(m_rows.size());
    QString text;
    if (m_totalSize == 0) {
        text = count + QStringLiteral(" items. Disk free space: ") + m_freeSpace;
    } else {
        const QString total =
            m_totalSize < 512 ? signedNumberText(m_totalSize) + QStringLiteral(" bytes in")
                              : groupedWhole(m_totalSize, 1024, locale) + QStringLiteral("KB in");
        text = total + count + QStringLiteral(" items. (Disk free space: ") + m_freeSpace +
               QLatin1Char(')');
    }
    if (m_foldersOnly == 1)
        text += QStringLiteral(" (Files not catalogued)");
    return text;
}

bool FolderListing::read(const DatabaseFolder& folder, const QString& key,
                         const CommentIndex& comments)
{
    if (keys::diskName(key).isEmpty())
        return false;

    const QString recordPath = keys::recordPath(key);
    m_key = key;
    m_rows.clear();
    m_folderCount = 0;
    m_totalSize = 0;

    // An unreadable info file leaves the free space empty and lists the files.
    DiskInfo info;
    if (readInfoFile(folder.recordFile(recordPath, ".i"), info) != InfoReadStatus::Ok)
        info = DiskInfo();
    m_freeSpace = info.freeSpace;
    m_foldersOnly = info.foldersOnly;

    // "\" for the disk root, "\Games\" for the folder Games.
    const QString relative = key.mid(recordPath.size());

    // Sub-folders: tree-file lines whose parent is the listed folder.
    QStringList folderKeys;
    readTreeFile(folder.recordFile(recordPath, ".t"), folderKeys);
    for (const QString& folderKey : std::as_const(folderKeys)) {
        const QStringView path =
            QStringView(folderKey).sliced(std::min<qsizetype>(1, folderKey.size()));
        const qsizetype last = path.lastIndexOf(u'\\');
        if (last == -1 || path.first(last + 1) != relative)
            continue;
        ListingRow row;
        row.name = path.sliced(last + 1).toString();
        row.isFolder = true;
        m_rows.append(row);
    }
    m_folderCount = int(m_rows.size());

    if (m_foldersOnly == 0) {
        FileListReader reader;
        if (reader.open(folder.recordFile(recordPath, ".f"))) {
            FileListItem item;
            bool found = false;
            if (key == recordPath + kBackslash) {
                found = reader.next(item); // the root's block comes first
            } else {
                // The block of :\Games\Saves is that of the key <record path>\Games\Saves\.
                const QString wanted = QStringView(relative).chopped(1).toString();
                while (!found && reader.next(item)) {
                    found = item.kind == FileListItem::Folder && item.name.size() > 1 &&
                            text::decode(item.name.sliced(1)) == wanted;
                }
            }
            if (found) {
                QSet<QString> names;
                while (reader.next(item) && item.kind == FileListItem::File) {
                    QString name = text::decode(item.name);
                    // A second file of the same name would have the same key: skipped.
                    if (names.contains(name))
                        continue;
                    names.insert(name);
                    ListingRow row;
                    row.name = std::move(name);
                    row.size = item.size;
                    row.modified = item.modified;
                    m_totalSize = DisplayFormat::addSize(m_totalSize, item.size);
                    m_rows.append(std::move(row));
                }
            }
        }
    }

    if (!comments.isEmpty()) {
        QString rowKey = key;
        for (ListingRow& row : m_rows) {
            rowKey.truncate(key.size());
            rowKey += row.name;
            if (row.isFolder)
                rowKey += u'\\';
            row.comment = comments.find(rowKey);
        }
    }
    return true;
}

} // namespace dovrin
