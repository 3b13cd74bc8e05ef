// Writes the text listing benchmark's database into a folder:
//   Bench/Big     1,000,000 files (1,000 folders of 1,000), 100,000 of them with a comment
//   Bench/Small   a tenth of that, for the memory comparison
// Names of mixed lengths (some run under the size column), sizes up to tens of gigabytes,
// dates across 26 years with some at midnight and some on the zero date.
#include "store/DiskRecord.h"
#include "store/RecordText.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <random>

namespace {

using namespace dovrin;

bool save(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray folderName(int folder)
{
    return "Trip " + QByteArray::number(folder).rightJustified(4, '0');
}

QByteArray fileName(int n)
{
    QByteArray name = "IMG_" + QByteArray::number(n).rightJustified(7, '0');
    if (n % 50 == 7)
        name += " taken from the hill above the lake at sunset";
    else if (n % 7 == 3)
        name += " (copy)";
    return name + ".jpg";
}

// One disk of `files` files; every `commentEvery`-th file and every tenth folder get a comment.
bool writeDisk(const QString& root, const char* name, int files, int commentEvery,
               QByteArray& store)
{
    std::mt19937_64 random(files);
    constexpr int kPerFolder = 1000;
    const int folders = files / kPerFolder;
    const QByteArray diskKey = QByteArray("Bench\\") + name + "\\";
    QByteArray tree;
    QByteArray list;
    list.reserve(qsizetype(files) * 60);
    for (int f = 0; f < folders; ++f) {
        const QByteArray folderKey = f == 0 ? QByteArray(":") : ":\\" + folderName(f);
        if (f > 0)
            write::plainLine(tree, QByteArrayView(folderKey));
        fileList::appendFolder(list, folderKey);
        const QByteArray folderPath = f == 0 ? QByteArray() : folderName(f) + "\\";
        if (f % 10 == 1) {
            write::quoted(store, QByteArrayView(diskKey + folderPath));
            write::comma(store);
            write::quoted(store, QByteArrayView("folder of trip " + QByteArray::number(f)));
            write::lineEnd(store);
        }
        for (int i = 0; i < kPerFolder; ++i) {
            const int n = f * kPerFolder + i;
            const qint64 size = qint64(random() % 20000000000ull >> (random() % 24));
            qint64 seconds = 36526ll * 86400 + qint64(random() % (26ull * 365 * 86400));
            if (n % 20 == 0)
                seconds -= seconds % 86400;
            if (n % 1000 == 999)
                seconds %= 86400;
            const QByteArray file = fileName(n);
            fileList::appendFile(list, file, size, RecordDateTime::fromSeconds(seconds));
            if (n % commentEvery == 0) {
                write::quoted(store, QByteArrayView(diskKey + folderPath + file));
                write::comma(store);
                QByteArray comment = "photo " + QByteArray::number(n) + ", kept for the album";
                if (n % 30 == 0)
                    comment += " - printed twice, one copy framed in the hall, the other sent to "
                               "the family with a letter about the whole trip";
                write::quoted(store, QByteArrayView(comment));
                write::lineEnd(store);
            }
        }
    }
    const DiskInfo info{QStringLiteral("/media/alice/PHOTOS/"), QStringLiteral("1234.56MB"),
                        QStringLiteral("04/12/2026 21:54:37"), 0};
    const QString base = root + QStringLiteral("Bench/") + QLatin1String(name);
    return save(base + QStringLiteral(".i"), infoFileBytes(info)) &&
           save(base + QStringLiteral(".t"), tree) && save(base + QStringLiteral(".f"), list);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: export_gen FOLDER [FILES]\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const int files = argc > 2 ? std::atoi(argv[2]) : 1000000;
    QDir().mkpath(root + QStringLiteral("Bench"));
    QByteArray store;
    if (!writeDisk(root, "Big", files, 10, store) ||
        !writeDisk(root, "Small", files / 10, 10, store) ||
        !save(root + QStringLiteral("FileComments.dat"), store))
        return 1;
    return 0;
}
