#include "MainWindowDiskBrowser.h"

#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QLabel>

namespace dovrin::ui {

void MainWindowDiskBrowser::prepareForDisk()
{
    if (auto* location = m_window.findChild<QLabel*>(QStringLiteral("labLocation")))
        location->clear();
    m_window.setListingStatus(QStringLiteral("Please wait..."));
    m_window.clearFileList();
    m_window.repaint();
}

void MainWindowDiskBrowser::showDisk(const QString& diskKey)
{
    m_window.readDiskTree(diskKey);
    CatalogueTree* tree = m_window.tree();
    tree->selectNode(diskKey);
    if (QTreeWidgetItem* node = tree->node(diskKey))
        tree->scrollToItem(node);
}

void MainWindowDiskBrowser::fillFileList(const QString& key)
{
    m_window.fillFileList(key);
}

void MainWindowDiskBrowser::showHelp()
{
    if (QAction* help = m_window.action(QStringLiteral("mnuHelp")); help && help->isEnabled())
        help->trigger();
}

} // namespace dovrin::ui
