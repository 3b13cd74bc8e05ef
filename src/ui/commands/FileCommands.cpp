#include "Commands.h"
#include "FolderChooser.h"
#include "RegisteredProgram.h"
#include "config/Settings.h"
#include "filelist/KeyedListModel.h"
#include "filelist/ListView.h"
#include "files/CopyItem.h"
#include "files/FileMessages.h"
#include "files/RealPath.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"
#include "store/DatabaseView.h"
#include "store/Keys.h"

namespace dovrin::ui {

namespace {

// "Update selected disk": the disk of the node selected in the tree.
void updateSelectedDisk(CommandContext& context)
{
    updateDisk(context, context.database.findDisk(context.window.tree()->selectedKey()));
}

void runFile(CommandContext& context, const QString& key)
{
    const files::RealPath path = files::realPath(context.database.disks(), key);
    if (!files::confirmRun(context.prompt, path.text))
        return;
    const platform::RegisteredProgram program = platform::RegisteredProgram::forFile(path.native);
    if (files::nativeFileExists(path.native)) {
        if (program.isNone() || !program.start(path.native))
            files::runFailed(context.prompt);
        return;
    }
    files::notFound(context.prompt, files::Purpose::Run);
    if (files::askUpdateDisk(context.prompt))
        updateSelectedDisk(context);
}

void openFolder(CommandContext& context, const QString& key)
{
    MainWindow& window = context.window;
    const QString diskKey = keys::disk(key);
    if (CatalogueTree::tagOf(window.tree()->node(diskKey)) == tags::kDisk)
        window.readDiskTree(diskKey);
    window.tree()->selectNode(key);
    window.fillFileList(key);
}

// The double click on a row, and "Run".
void runSelectedRow(CommandContext& context)
{
    ListView* list = context.window.list();
    const int row = list->currentRow();
    if (list->rowCount() == 0 || row == -1)
        return;
    const QString key = list->rowKey(row);
    if (list->rowTag(row) == tags::kFile)
        runFile(context, key);
    else
        openFolder(context, key);
}

void copySelectedRow(CommandContext& context, bool toDesktop)
{
    ListView* list = context.window.list();
    const int row = list->currentRow();
    if (row == -1)
        return;
    const files::CopyRequest request{list->rowKey(row), list->listModel()->text(row, 0),
                                     list->rowTag(row) == tags::kFolder, toDesktop};
    MainWindow* owner = &context.window;
    if (files::copyItem(context.prompt, context.database.disks(), request,
                        context.settings().desktopPath,
                        [owner] { return platform::FolderChooser::browseForFolder(owner); }))
        updateSelectedDisk(context);
}

} // namespace

// File menu, also the list's context menu: run and copy catalogued files.
void installFileCommands(CommandContext& context)
{
    MainWindow& window = context.window;
    window.setCommand(QStringLiteral("mnuRCRun"), [&] { runSelectedRow(context); });
    window.setCommand(QStringLiteral("mnuHCopyto"), [&] { copySelectedRow(context, false); });
    window.setCommand(QStringLiteral("mnuHCopytoDesktop"), [&] { copySelectedRow(context, true); });
}

} // namespace dovrin::ui
