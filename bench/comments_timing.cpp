// Times the comment store on the data of comments_gen and prints one "name seconds" line per
// measurement (best of three), for comments.sh to turn into ratios.
#include "comments/CommentStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace dovrin;

namespace {

double bestOf3(const std::function<void()>& job)
{
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        job();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

void report(const char* name, double seconds)
{
    std::printf("%s %.6f\n", name, seconds);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: comments_timing FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const DatabaseFolder folder(root);
    CommentStore store(folder);

    QFile lookupFile(root + QStringLiteral("/lookups.txt"));
    if (!lookupFile.open(QIODevice::ReadOnly))
        return 1;
    const QStringList keys =
        QString::fromUtf8(lookupFile.readAll()).split(u'\n', Qt::SkipEmptyParts);

    qsizetype found = 0;
    report("read_store", bestOf3([&] { found = store.entries().size(); }));
    qsizetype hits = 0;
    report("lookups", bestOf3([&] {
               const CommentIndex index = store.loadIndex();
               hits = 0;
               for (const QString& key : keys)
                   hits += !index.find(key).isEmpty();
           }));
    // One sequential read per lookup, as without an index: timed on a sample.
    const int sample = 200;
    report("lookup_one_by_one_sample", bestOf3([&] {
               for (int i = 0; i < sample; ++i)
                   store.get(keys.at(i * (keys.size() / sample)));
           }));
    std::printf("entries %lld\nlookup_keys %lld\nlookup_hits %lld\nsample %d\n", qlonglong(found),
                qlonglong(keys.size()), qlonglong(hits), sample);

    // The purge rewrites the store, so each run starts from a copy of the original.
    const QString storePath = root + QStringLiteral("/FileComments.dat");
    const QString original = root + QStringLiteral("/FileComments.orig");
    QFile::remove(original);
    QFile::copy(storePath, original);
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(storePath);
        QFile::copy(original, storePath);
        QElapsedTimer clock;
        clock.start();
        if (!store.purgeStale(QStringLiteral("Bench\\Big\\"))) {
            std::fprintf(stderr, "%s\n", qPrintable(store.lastError()));
            return 1;
        }
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    report("purge", best);
    std::printf("entries_after_purge %lld\n", qlonglong(store.entries().size()));
    QFile::remove(storePath);
    QFile::rename(original, storePath);
    return 0;
}
