#pragma once

#include "TestFiles.h"
#include "search/SearchRow.h"
#include "store/DatabaseFolder.h"
#include "store/DiskTable.h"
#include "store/RecordDateTime.h"
#include "store/RecordText.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

// The one place where tests build databases (records, comment stores) and source trees.
namespace dovrin::test {

// Writes one disk record's three files at `base` (a path without its suffix).
inline void writeRecord(const QString& base, const QByteArray& info, const QByteArray& tree = {},
                        const QByteArray& fileList = "\":\"\r\n")
{
    writeFile(base + QStringLiteral(".i"), info);
    writeFile(base + QStringLiteral(".t"), tree);
    writeFile(base + QStringLiteral(".f"), fileList);
}

// A record's info, tree and file-list files (a path without its suffix) joined by "|".
inline QByteArray recordBytes(const QString& base)
{
    return readFile(base + QStringLiteral(".i")) + '|' + readFile(base + QStringLiteral(".t")) +
           '|' + readFile(base + QStringLiteral(".f")) + '|';
}

// A disk's info file: the format's version, the source, its free space, a date, the flag.
inline QByteArray infoBytes(const QByteArray& source = "/media/alice/PHOTOS/",
                            const QByteArray& freeSpace = "1234.56MB", int foldersOnly = 0)
{
    return "25\r\n" + source + "\r\n" + freeSpace + "\r\n01/03/2026 10:15:00\r\n " +
           QByteArray::number(foldersOnly) + " \r\n";
}

// Writes one disk record (info, tree and file-list files) below a database root.
// `fileList` is the file-list file's text with "\n" for line ends.
inline void writeDisk(const QString& root, const QString& relativePath, const QStringList& folders,
                      const QByteArray& fileList, int foldersOnly = 0,
                      const QByteArray& freeSpace = "1234.56MB",
                      const QByteArray& source = "/media/alice/PHOTOS/")
{
    QByteArray tree;
    for (const QString& folder : folders)
        tree += folder.toUtf8() + "\r\n";
    QByteArray list = fileList;
    list.replace("\n", "\r\n");
    writeRecord(root + u'/' + relativePath, infoBytes(source, freeSpace, foldersOnly), tree, list);
}

// A small database: the loose disk "Loose" (no folders), the catalogue Holidays with the disks
// Photos (Games, Games\Saves, Music) and Videos (folders only), and the empty catalogue Empty.
inline void writeSampleDatabase(const QString& root)
{
    writeDisk(root, QStringLiteral("Loose"), {}, "\":\"\n\"a.txt\",10,#2025-01-06#\n");
    writeDisk(
        root, QStringLiteral("Holidays/Photos"),
        {QStringLiteral(":\\Games"), QStringLiteral(":\\Games\\Saves"), QStringLiteral(":\\Music")},
        "\":\"\n\"readme.txt\",1234000,#2026-03-01 10:15:00#\n"
        "\"setup.exe\",566,#2025-12-24#\n"
        "\":\\Games\"\n\"game.iso\",700000000,#2022-05-05 05:05:05#\n"
        "\":\\Games\\Saves\"\n\":\\Music\"\n\"song.mp3\",1,#2021-01-01 12:00:00#\n");
    writeDisk(root, QStringLiteral("Holidays/Videos"), {QStringLiteral(":\\Clips")},
              "\":\"\n\":\\Clips\"\n", 1);
    writeFile(root + QStringLiteral("/Empty/notes.txt"), "not a record");
}

inline QByteArray fileLine(const QByteArray& name, qint64 size,
                           const QByteArray& date = "#2026-03-01 10:15:00#")
{
    return '"' + name + "\"," + QByteArray::number(size) + ',' + date;
}

inline QByteArray folderLine(const QByteArray& key)
{
    return '"' + key + '"';
}

// Writes a disk record from its tree and file-list lines and adds the disk to the table.
inline void addDisk(const DatabaseFolder& folder, DiskTable& disks, const QString& recordPath,
                    const QList<QByteArray>& treeLines, const QList<QByteArray>& fileListLines)
{
    auto joined = [](const QList<QByteArray>& lines) {
        QByteArray out;
        for (const QByteArray& line : lines)
            out += line + "\r\n";
        return out;
    };
    writeRecord(folder.recordFile(recordPath, ""), infoBytes("/media/disk/", "1.00MB"),
                joined(treeLines), joined(fileListLines));
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

// Source trees for the scanner.
inline void makeFolder(const QString& path)
{
    QDir().mkpath(path);
}

inline void makeFile(const QString& path, const QByteArray& content = "x",
                     const QDateTime& modified = QDateTime(QDate(2026, 3, 1), QTime(10, 15)))
{
    writeFile(path, content);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// The record files as the format defines them, built the slow and plain way: folders listed
// in the file system's order and each block of sub-folders ordered by a bubble sort of the
// upper-cased full paths; only regular files in the tree.
struct ExpectedRecord
{
    QByteArray tree;
    QByteArray list;

    explicit ExpectedRecord(const QString& source) // source without a final "/"
    {
        QStringList work{source};
        walk(source, work);
        for (qsizetype i = 0; i < work.size(); ++i) {
            const QString relative = work[i].mid(source.size()).replace(u'/', u'\\');
            if (i > 0)
                tree += ":" + relative.toUtf8() + "\r\n";
            list += "\":" + relative.toUtf8() + "\"\r\n";
            const QFileInfoList files =
                QDir(work[i]).entryInfoList(QDir::Files | QDir::Hidden, QDir::Unsorted);
            for (const QFileInfo& f : files) {
                list += "\"" + f.fileName().toUtf8() + "\"," + QByteArray::number(f.size()) + "," +
                        RecordDateTime::fromDateTime(f.lastModified()).toRecordText() + "\r\n";
            }
        }
    }

    static void walk(const QString& path, QStringList& work)
    {
        const QStringList names = QDir(path).entryList(
            QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks,
            QDir::Unsorted);
        QStringList full;
        for (const QString& name : names)
            full << path + u'/' + name;
        bool swapped = true;
        while (swapped) {
            swapped = false;
            for (qsizetype i = 0; i + 1 < full.size(); ++i) {
                if (full[i + 1].toUpper() < full[i].toUpper()) {
                    full.swapItemsAt(i, i + 1);
                    swapped = true;
                }
            }
        }
        work += full;
        for (const QString& name : names)
            walk(path + u'/' + name, work);
    }
};

} // namespace dovrin::test
