// Times what the user waits for in the main window on a large database (make_filelist_db):
// loading 1000 disks at start-up, listing the folder of 100,000 files and sorting it by size,
// with QTreeWidget doing the same listing and sort as the reference.
//   QT_QPA_PLATFORM=offscreen gui_filelist <database folder>
#include "FileIcons.h"
#include "comments/CommentStore.h"
#include "common/Prompt.h"
#include "config/Startup.h"
#include "filelist/FileListModel.h"
#include "filelist/ListView.h"
#include "list/FolderListing.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

using namespace dovrin;

namespace {

const QString kBigFolder = QStringLiteral("Cat0\\Big\\Many\\");

// Seconds taken by `work` and the paint that follows it.
template <typename Work> double timed(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

void report(const char* what, double seconds, double target, double reference = 0)
{
    std::printf("%-34s %7.3f s  (target < %.1f s)", what, seconds, target);
    if (reference > 0)
        std::printf("  QTreeWidget %7.3f s  ratio %.2f", reference, seconds / reference);
    std::printf("  %s\n", seconds < target ? "ok" : "SLOW");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_filelist <database folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir programDir;
    SilentPrompt prompt;

    // Start-up: the window and its tree over 1000 disks.
    Startup startup(prompt, programDir.path() + u'/', programDir.filePath(QStringLiteral("lock")));
    startup.loadSettings();
    Database database(prompt);
    ui::MainWindow window(startup, database, prompt);
    window.setShutdown([] {});
    database.setView(&window);
    window.show();
    QCoreApplication::processEvents();
    const double load = timed([&] { window.loadDatabase(folder); });
    std::printf("disks loaded: %d\n", database.disks().count());

    // Reading the folder's rows alone (record files and comment store, no window).
    const DatabaseFolder db(folder);
    const double read = timed([&] {
        FolderListing listing;
        listing.read(db, kBigFolder, CommentStore(db).loadIndex());
    });

    // The main window's file list.
    ui::ListView& list = *window.list();
    const double firstFill = timed([&] { window.fillFileList(kBigFolder); });
    const double fill = timed([&] { window.fillFileList(kBigFolder); });
    const double sizeSort = timed([&] { list.columnClick(ui::FileListModel::SizeColumn); });
    const double sizeSortBack = timed([&] { list.columnClick(ui::FileListModel::SizeColumn); });
    const double nameSort = timed([&] { list.columnClick(ui::FileListModel::NameColumn); });
    const double nameSortBack = timed([&] { list.columnClick(ui::FileListModel::NameColumn); });
    std::printf("rows listed: %d\n", list.rowCount());

    // The reference: the same rows as QTreeWidget items, sorted by the size column's text.
    const ui::FileListModel& model = *list.fileListModel();
    QTreeWidget reference;
    reference.setColumnCount(4);
    reference.resize(700, 500);
    reference.show();
    QCoreApplication::processEvents();
    const double referenceFill = timed([&] {
        QList<QTreeWidgetItem*> items;
        items.reserve(model.rowCount());
        for (int row = 0; row < model.rowCount(); ++row) {
            auto* item = new QTreeWidgetItem;
            for (int c = 0; c < 4; ++c)
                item->setText(c, model.text(row, c));
            items.append(item);
        }
        reference.addTopLevelItems(items);
    });
    const double referenceSort = timed([&] { reference.sortItems(1, Qt::AscendingOrder); });

    report("start-up load, 1000 disks", load, 1.0);
    report("read 100,000 rows (core only)", read, 1.0);
    report("list 100,000 files (first)", firstFill, 1.0, referenceFill);
    report("list 100,000 files (again)", fill, 1.0, referenceFill);
    report("sort by size", sizeSort, 0.5, referenceSort);
    report("sort by size, descending", sizeSortBack, 0.5, referenceSort);
    report("sort by name", nameSort, 0.5, referenceSort);
    report("sort by name, descending", nameSortBack, 0.5, referenceSort);
    return 0;
}
