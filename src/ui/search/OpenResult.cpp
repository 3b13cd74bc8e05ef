#include "OpenResult.h"

#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "store/DatabaseView.h"
#include "store/Keys.h"

namespace dovrin::ui {

void openResultInMainWindow(MainWindow* mainWindow, const QString& key)
{
    const QString diskKey = keys::disk(key);
    const QString folderKey = keys::parent(key);
    if (!mainWindow)
        return;
    mainWindow->selectRowLater(key);
    if (diskKey.isEmpty())
        return;
    CatalogueTree* tree = mainWindow->tree();
    QTreeWidgetItem* disk = tree->node(diskKey);
    if (!disk)
        return;
    if (CatalogueTree::tagOf(disk) == tags::kDisk)
        mainWindow->readDiskTree(diskKey);
    if (!tree->node(folderKey))
        return;
    tree->selectNode(folderKey);
    mainWindow->fillFileList(folderKey);
}

} // namespace dovrin::ui
