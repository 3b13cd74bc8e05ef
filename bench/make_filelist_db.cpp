// Builds the database of the file-list benchmark: 1000 disks in ten catalogues, one of them
// (Cat0\Big) with the folder :\Many of 100,000 files.
//   make_filelist_db <empty folder>
#include "store/DatabaseFolder.h"
#include "store/DiskRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

using namespace dovrin;

namespace {

constexpr int kCatalogues = 10;
constexpr int kDisksPerCatalogue = 100;
constexpr int kBigFolderFiles = 100000;

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool writeDisk(const DatabaseFolder& db, const QString& recordPath, const QByteArray& tree,
               const QByteArray& fileList)
{
    DiskInfo info;
    info.source = QStringLiteral("/media/bench/");
    info.freeSpace = QStringLiteral("1234.56MB");
    info.date = QStringLiteral("05/12/2026 10:00:00");
    return writeBytes(db.recordFile(recordPath, ".i"), infoFileBytes(info)) &&
           writeBytes(db.recordFile(recordPath, ".t"), tree) &&
           writeBytes(db.recordFile(recordPath, ".f"), fileList);
}

RecordDateTime someDate(int i)
{
    // Spread over about three years, whole seconds.
    return RecordDateTime::fromDateAndTime(QDate(2023, 1, 1).addDays(i % 1100),
                                           QTime(0, 0).addSecs((qint64(i) * 7919) % 86400));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_filelist_db <empty folder>\n");
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    const DatabaseFolder db(QString::fromLocal8Bit(argv[1]));

    // A small disk: three folders of twenty files.
    QByteArray smallTree;
    for (const char* key : {":\\Docs", ":\\Music", ":\\Docs\\Old"}) {
        smallTree.append(key);
        smallTree.append("\r\n");
    }
    QByteArray smallList;
    for (const char* folderKey : {":", ":\\Docs", ":\\Music", ":\\Docs\\Old"}) {
        fileList::appendFolder(smallList, folderKey);
        for (int i = 0; i < 20; ++i)
            fileList::appendFile(smallList, "file" + QByteArray::number(i) + ".txt", i * 1000,
                                 someDate(i));
    }

    // The big disk: the root, then :\Many with 100,000 files of twenty types.
    static const char* const extensions[] = {
        ".txt",  ".jpg", ".png", ".mp3", ".pdf", ".doc", ".zip", ".gz",  ".c",  ".h",
        ".html", ".xml", ".ogg", ".mkv", ".iso", ".odt", ".ods", ".svg", ".py", ".json"};
    QByteArray bigList;
    fileList::appendFolder(bigList, ":");
    fileList::appendFile(bigList, "readme.txt", 1234, someDate(1));
    fileList::appendFolder(bigList, ":\\Many");
    for (int i = 0; i < kBigFolderFiles; ++i) {
        const QByteArray name =
            "item" + QByteArray::number((qint64(i) * 48271) % 1000003) + extensions[i % 20];
        const qint64 size = (qint64(i) * 2654435761LL) % 50000000;
        fileList::appendFile(bigList, name, size, someDate(i));
    }

    int disks = 0;
    for (int c = 0; c < kCatalogues; ++c) {
        const QString catalogue = QStringLiteral("Cat%1").arg(c);
        QDir(db.root()).mkpath(catalogue);
        for (int d = 0; d < kDisksPerCatalogue; ++d) {
            const bool big = c == 0 && d == 0;
            const QString path =
                catalogue + (big ? QStringLiteral("\\Big") : QStringLiteral("\\Disk%1").arg(d));
            if (!writeDisk(db, path, big ? QByteArray(":\\Many\r\n") : smallTree,
                           big ? bigList : smallList)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            ++disks;
        }
    }
    std::printf("%d disks written to %s\n", disks, qPrintable(db.root()));
    return 0;
}
