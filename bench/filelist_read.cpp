// Reads a file-list file item by item with FileListReader and prints items and seconds.
// With --generate N it first writes a file of N file lines in folders of 50.
//   build/bench/filelist_read --generate 3000000 /tmp/big.f
//   build/bench/filelist_read /tmp/big.f
#include "store/DiskRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <ctime>

using namespace dovrin;

static bool generate(const QString& path, qint64 files)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk;
    const auto when = RecordDateTime::fromDateAndTime(QDate(2026, 3, 1), QTime(10, 15, 0));
    fileList::appendFolder(chunk, ":");
    for (qint64 i = 0; i < files; ++i) {
        if (i % 50 == 49)
            fileList::appendFolder(chunk, ":\\Folder " + QByteArray::number(i / 50));
        fileList::appendFile(chunk, "document number " + QByteArray::number(i) + ".txt",
                             1000 + i * 7, when);
        if (chunk.size() > (1 << 20)) {
            out.write(chunk);
            chunk.clear();
        }
    }
    out.write(chunk);
    return true;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--generate")) {
        if (!generate(args[2], args[1].toLongLong()))
            return 1;
        args = args.mid(2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: filelist_read [--generate N] FILE\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    FileListReader reader;
    if (!reader.open(args[0]))
        return 1;
    FileListItem item;
    qint64 items = 0;
    qint64 bytes = 0;
    while (reader.next(item)) {
        ++items;
        bytes += item.size;
    }
    // CPU time as well as wall time: on a busy machine the wall clock says little.
    std::printf("%lld items, %.3f s wall, %.3f s cpu\n", items, timer.nsecsElapsed() / 1e9,
                double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    return reader.error().isEmpty() ? 0 : 1;
}
