// Writes the comment benchmark's data into a folder:
//   FileComments.dat  100,000 comments: half on the disk Bench\Big, half on 50 other disks,
//                     a tenth of Big's on files that are gone from its new file list
//   Bench/Big.f       the re-catalogued disk: 1,000 folders of 1,000 files each
//   lookups.txt       100,000 row keys of Big to look up, every other one with a comment
#include "store/RecordText.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 1000;
constexpr int kComments = 100000;
constexpr int kLookups = 100000;

QByteArray fileName(int folder, int file)
{
    return "IMG_" + QByteArray::number(folder * kFilesPerFolder + file).rightJustified(7, '0') +
           ".jpg";
}

QByteArray folderPart(int folder)
{
    return "Trip " + QByteArray::number(folder).rightJustified(4, '0') + "\\";
}

bool save(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: comments_gen FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    QDir().mkpath(root + QStringLiteral("Bench"));

    using namespace dovrin;
    QByteArray list;
    list.reserve(60 * kFolders * kFilesPerFolder);
    for (int f = 0; f < kFolders; ++f) {
        write::quoted(list,
                      QByteArrayView(f == 0 ? QByteArray(":") : ":\\" + folderPart(f).chopped(1)));
        write::lineEnd(list);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            write::quoted(list, QByteArrayView(fileName(f, i)));
            write::comma(list);
            write::number(list, 1000000 + i);
            write::comma(list);
            list.append("#2024-05-17 10:15:00#");
            write::lineEnd(list);
        }
    }

    // Big's comments are spread over its folders; every tenth names a file that is gone.
    QByteArray store;
    const QByteArray big = "Bench\\Big\\";
    for (int c = 0; c < kComments / 2; ++c) {
        const int folder = c % kFolders;
        const int file = (c / kFolders) * 2;
        const QByteArray name =
            c % 10 == 9 ? "deleted " + fileName(folder, file) : fileName(folder, file);
        const QByteArray key = big + (folder == 0 ? QByteArray() : folderPart(folder)) + name;
        write::quoted(store, QByteArrayView(key));
        write::comma(store);
        write::quoted(store, QByteArrayView("holiday photo " + QByteArray::number(c) +
                                            ", kept for the album"));
        write::lineEnd(store);
    }
    for (int c = 0; c < kComments / 2; ++c) {
        const QByteArray key = "Archive\\Disk " + QByteArray::number(c % 50) + "\\docs\\note " +
                               QByteArray::number(c) + ".txt";
        write::quoted(store, QByteArrayView(key));
        write::comma(store);
        write::quoted(store, QByteArrayView("scanned letter " + QByteArray::number(c)));
        write::lineEnd(store);
    }

    QByteArray lookups;
    for (int k = 0; k < kLookups; ++k) {
        const int folder = k % kFolders;
        const int file = k / kFolders;
        lookups +=
            big + (folder == 0 ? QByteArray() : folderPart(folder)) + fileName(folder, file) + '\n';
    }
    if (!save(root + QStringLiteral("Bench/Big.f"), list) ||
        !save(root + QStringLiteral("FileComments.dat"), store) ||
        !save(root + QStringLiteral("lookups.txt"), lookups))
        return 1;
    return 0;
}
