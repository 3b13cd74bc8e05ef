// Times "List everything" in the search window over 1,000,000 files (100 disks of 10 folders
// of 1000 files), then the sorts by each column, and prints the peak memory.
//   QT_QPA_PLATFORM=offscreen gui_searchall [DIR]
// DIR keeps the generated database between runs (made when missing); without it a
// temporary folder is used.
#include "common/Prompt.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"
#include "store/Database.h"
#include "store/DatabaseFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>

using namespace dovrin;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

// 100 disks in the catalogue "Big", each 10 folders of 1000 files.
void writeDatabase(const QString& root)
{
    QDir(root).mkpath(QStringLiteral("Big"));
    quint32 seed = 12345;
    for (int disk = 0; disk < 100; ++disk) {
        const QString base = root + QStringLiteral("/Big/Disk%1").arg(disk);
        writeFile(base + QStringLiteral(".i"),
                  "25\r\n/media/big/\r\n1.00MB\r\n01/03/2026 10:00:00\r\n 0 \r\n");
        QByteArray tree;
        QByteArray list = "\":\"\r\n";
        for (int folder = 0; folder < 10; ++folder) {
            const QByteArray key = ":\\Folder" + QByteArray::number(folder);
            tree += key + "\r\n";
            list += '"' + key + "\"\r\n";
            for (int file = 0; file < 1000; ++file) {
                seed = seed * 1103515245u + 12345u;
                list += "\"file" + QByteArray::number(seed % 1000003) + ".dat\"," +
                        QByteArray::number(seed % 100000000) + ",#2026-03-01 10:15:00#\r\n";
            }
        }
        writeFile(base + QStringLiteral(".t"), tree);
        writeFile(base + QStringLiteral(".f"), list);
    }
}

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Seconds taken by `work` and the paint that follows it.
template <typename Work> double timed(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    if (!QFile::exists(root + QStringLiteral("/Big/Disk99.f")))
        writeDatabase(root);
    SilentPrompt prompt;
    Database database(prompt);
    database.load(DatabaseFolder(root));

    ui::SearchWindow window(database, nullptr);
    window.show();
    QCoreApplication::processEvents();
    window.findChild<QRadioButton*>(QStringLiteral("optTheLot"))->click();
    const double search = timed([&] { window.search(); });
    ui::SearchResultsModel& model = *window.results();
    std::printf("List everything: %d rows in %.3f s, peak RSS %ld MB\n", model.rowCount(), search,
                peakKilobytes() / 1024);
    const auto sortBy = [&](int column) { return timed([&] { model.sortByColumn(column); }); };
    const double bySize = sortBy(ui::SearchResultsModel::SizeColumn);
    const double byName = sortBy(ui::SearchResultsModel::NameColumn);
    std::printf("sort by size %.3f s, by name %.3f s, peak RSS %ld MB\n", bySize, byName,
                peakKilobytes() / 1024);
    const double byFolder = sortBy(ui::SearchResultsModel::InFolderColumn);
    const double byDate = sortBy(ui::SearchResultsModel::ModifiedColumn);
    const double byComment = sortBy(ui::SearchResultsModel::CommentColumn);
    sortBy(ui::SearchResultsModel::NameColumn);
    const double byNameDown = sortBy(ui::SearchResultsModel::NameColumn);
    std::printf("sort by in folder %.3f s, by modified %.3f s, by comments %.3f s, by name "
                "descending %.3f s, peak RSS %ld MB\n",
                byFolder, byDate, byComment, byNameDown, peakKilobytes() / 1024);
    return 0;
}
