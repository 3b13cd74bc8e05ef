#include "CataloguePrintout.h"

#include "PageLayout.h"
#include "search/CommentLookup.h"
#include "store/DatabaseFolder.h"
#include "store/DiskTable.h"
#include "store/FileListStream.h"
#include "store/TextCodec.h"

#include <QFile>

namespace dovrin::reports {

namespace {

// x positions in twips.
constexpr int kHeadX = 300;
constexpr int kPathX = 1000;
constexpr int kFreeSpaceX = 6000;
constexpr int kFolderX = 900;
constexpr int kNameX = 1100;
constexpr int kSizeX = 4100;
constexpr int kDateX = 5600;
constexpr int kCommentX = 7700;

constexpr int kTitleSize = 36;
constexpr int kHeadSize = 24;

const QString kBackslash = QStringLiteral("\\");

} // namespace

void printTitle(PageLayout& layout)
{
    layout.setFont(kTitleSize, true);
    layout.printLine(kHeadX, QStringLiteral("Dovrin Catalogue Printout"));
}

const QList<int>& CataloguePrintout::bodySizes()
{
    static const QList<int> sizes{8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    return sizes;
}

CataloguePrintout::CataloguePrintout(const DatabaseFolder& folder, const DiskTable& disks,
                                     const DisplayFormat& format)
    : m_folder(folder), m_disks(disks), m_format(format)
{
}

bool CataloguePrintout::print(PageCanvas& canvas, Kind kind, const QString& recordPath,
                              int bodySize) const
{
    PageLayout layout(canvas);
    printTitle(layout);
    layout.setSize(kHeadSize);
    const RecordDateTime now = RecordDateTime::fromDateTime(
        m_printed.isValid() ? m_printed : QDateTime::currentDateTime());
    layout.printLine(kHeadX,
                     QStringLiteral("Printed: ") + m_format.date(now) + u' ' + m_format.time(now));
    switch (kind) {
    case Kind::DiskList:
        layout.printLine(kHeadX, QStringLiteral("List of disks catalogued"));
        break;
    case Kind::Tree:
        layout.printLine(kHeadX, QStringLiteral("Directory tree of ") + recordPath);
        break;
    case Kind::Contents:
        layout.printLine(kHeadX, QStringLiteral("Disk: ") + recordPath);
        break;
    }
    layout.rule();
    layout.setSize(bodySize);
    layout.endLine();

    bool read = true;
    switch (kind) {
    case Kind::DiskList:
        printDiskList(layout);
        break;
    case Kind::Tree:
        read = printTree(layout, recordPath);
        break;
    case Kind::Contents:
        read = printContents(layout, recordPath);
        break;
    }
    return read && !layout.failed();
}

void CataloguePrintout::printDiskList(PageLayout& layout) const
{
    for (const DiskEntry& disk : m_disks) {
        layout.print(kPathX, disk.path);
        layout.printLine(kFreeSpaceX, disk.freeSpace + QStringLiteral(" free"));
        if (layout.failed())
            return;
    }
}

// The tree file is read item by item, as a field list: a folder name holding a comma prints
// as two lines.
bool CataloguePrintout::printTree(PageLayout& layout, const QString& recordPath) const
{
    layout.printLine(kFolderX, recordPath + QStringLiteral(":\\"));
    QFile file(m_folder.recordFile(recordPath, ".t"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    FieldReader items(data);
    FieldReader::Field item;
    while (items.next(item) && !layout.failed())
        layout.printLine(kFolderX, recordPath + text::decode(item.bytes));
    return file.error() == QFileDevice::NoError;
}

bool CataloguePrintout::printContents(PageLayout& layout, const QString& recordPath) const
{
    const search::CommentLookup comments(m_folder);
    FileListStream list;
    if (!list.open(m_folder.recordFile(recordPath, ".f")))
        return false;
    const QString diskKey = recordPath + kBackslash;
    QString folderPath;
    FileListItem item;
    while (list.next(item) && !layout.failed()) {
        const QString name = text::decode(item.name);
        if (item.kind == FileListItem::Folder) {
            folderPath = (name + kBackslash).mid(2);
            layout.print(kFolderX, folderPath.isEmpty() ? kBackslash : folderPath);
            layout.printLine(kCommentX, comments.find(diskKey + folderPath));
        } else {
            layout.print(kNameX, name);
            layout.print(kSizeX, m_format.size(item.size));
            layout.print(kDateX, m_format.dateTime(item.modified));
            layout.printLine(kCommentX, comments.find(diskKey + folderPath + name));
        }
    }
    return list.error().isEmpty();
}

} // namespace dovrin::reports
