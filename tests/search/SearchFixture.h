#pragma once

#include "TestFiles.h"
#include "search/SearchRow.h"
#include "store/DatabaseFolder.h"
#include "store/DiskTable.h"
#include "store/RecordText.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace dovrin::test {

// Collects the rows of a search.
class RowList final : public search::SearchSink
{
public:
    void clear() override { rows.clear(); }
    void addRow(const search::SearchRow& row) override { rows.append(row); }
    QStringList keys() const
    {
        QStringList out;
        for (const auto& row : rows)
            out.append(row.key);
        return out;
    }
    QList<search::SearchRow> rows;
};

inline QByteArray fileLine(const QByteArray& name, qint64 size,
                           const QByteArray& date = "#2026-03-01 10:15:00#")
{
    return '"' + name + "\"," + QByteArray::number(size) + ',' + date;
}

inline QByteArray folderLine(const QByteArray& key)
{
    return '"' + key + '"';
}

// Writes a disk record (info, tree and file-list files, lines ending in CR LF) and adds the
// disk to the table.
inline void addDisk(const DatabaseFolder& folder, DiskTable& disks, const QString& recordPath,
                    const QList<QByteArray>& treeLines, const QList<QByteArray>& fileListLines)
{
    auto joined = [](const QList<QByteArray>& lines) {
        QByteArray out;
        for (const QByteArray& line : lines)
            out += line + "\r\n";
        return out;
    };
    writeFile(folder.recordFile(recordPath, ".i"), "25\r\n/media/disk/\r\n1.00MB\r\n"
                                                   "01/03/2026 10:00:00\r\n 0 \r\n");
    writeFile(folder.recordFile(recordPath, ".t"), joined(treeLines));
    writeFile(folder.recordFile(recordPath, ".f"), joined(fileListLines));
    DiskEntry entry;
    entry.path = recordPath;
    entry.source = QStringLiteral("/media/disk/");
    disks.append(entry);
}

inline void writeComments(const DatabaseFolder& folder,
                          const QList<QPair<QString, QString>>& entries)
{
    QByteArray out;
    for (const auto& [key, comment] : entries) {
        write::quoted(out, key);
        write::comma(out);
        write::quoted(out, comment);
        write::lineEnd(out);
    }
    writeFile(folder.nativePath(QStringLiteral("FileComments.dat")), out);
}

} // namespace dovrin::test
