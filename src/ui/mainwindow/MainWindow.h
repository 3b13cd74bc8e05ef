#pragma once

#include "PaneLayout.h"
#include "store/DatabaseView.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class QLabel;
class QMenu;
class QTimer;
class QTreeWidgetItem;

namespace dovrin {
class Database;
class Prompt;
class Startup;
struct Settings;
} // namespace dovrin

namespace dovrin::ui {

class CatalogueTree;
class DragBar;
class ListView;

// The main window, "Base": the catalogue tree and the file list side by side with a splitter,
// the menus, the toolbar and the two-panel status bar. It shows the database (DatabaseView)
// and runs the commands of its menus. Commands that other windows provide are plugged in with
// setCommand(); until then their menu items and buttons stay disabled.
class MainWindow final : public QMainWindow, public DatabaseView
{
    Q_OBJECT

public:
    // The window takes its geometry from the start-up's settings, and gives it back to them
    // (and to Dovrin.cfg) when it closes.
    MainWindow(Startup& startup, Database& database, Prompt& prompt, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Called last on closing, after Dovrin.cfg was written: ends the program.
    void setShutdown(std::function<void()> shutdown) { m_shutdown = std::move(shutdown); }

    // Plugs in the handler of a menu item by its name ("mnuSearch", "mnuNewDisk", ...) and
    // enables the item (within its menu's enabling rules) and its toolbar button.
    void setCommand(const QString& actionName, std::function<void()> handler);
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // DatabaseView
    void clearTree() override;
    void addNode(const QString& parentKey, const TreeNode& node) override;
    void removeNode(const QString& key) override;
    void clearFileList() override;
    void setStatusText(const QString& text) override;

    CatalogueTree* tree() const { return m_tree; }
    ListView* list() const { return m_list; }
    QString statusText(int panel) const;
    void setListingStatus(const QString& text);
    QString location() const;

    // Reads a disk's folders into the tree (its tag becomes "DISKIN").
    void readDiskTree(const QString& diskKey);
    // Fills the file list with the folder or disk of `key`.
    void fillFileList(const QString& key);
    // Loads the database folder into the tree, with the busy pointer.
    void loadDatabase(const QString& folder);
    // The start-up's load: DatabasePath or the program folder.
    void loadStartupDatabase();

    // The search window's way to open a result: the tree and the list are switched off, and
    // 300 ms later the row `rowKey` of the list is selected and the panes come back.
    void selectRowLater(const QString& rowKey);

    // Runs the delete button: a message when nothing is selected, else the delete command of
    // the selected disk or catalogue.
    void deleteSelected();

    // The splitter bar's left edge, in twips.
    int splitterLeft() const { return m_panes.barLeft; }
    void dragSplitter(int dxTwips);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildPanes();
    void buildStatusBar();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {});
    void addToolButton(const char* key, const QString& iconName, const QString& tooltip);
    void toolbarButtonClick(const QString& key);
    void run(const QString& actionName);
    bool isWired(const QString& actionName) const { return m_commands.contains(actionName); }
    void enableWired(const QString& actionName, bool rule);

    // Drop-down handlers, also run when the menu serves as a context menu.
    void toolsMenuOpening();
    void catalogueMenuOpening();
    void diskMenuOpening();
    void fileMenuOpening();

    void treeExpanded(QTreeWidgetItem* item);
    void treeCollapsed(QTreeWidgetItem* item);
    void treeNodeClicked(QTreeWidgetItem* item);
    void treeContextMenu(QTreeWidgetItem* item, const QPoint& globalPos);

    void loadDatabaseChosen();
    void loadDefaultDatabase();
    void showDiskInfo();
    void editFileComment();
    void unsortFileList();
    void listSorted();
    void selectPendingRow();

    void restoreGeometryFromSettings();
    void storeGeometryInSettings();
    void layoutPanes();
    int innerWidthTwips() const;

    Startup& m_startup;
    Settings& m_settings;
    Database& m_database;
    Prompt& m_prompt;
    std::function<void()> m_shutdown;

    CatalogueTree* m_tree = nullptr;
    DragBar* m_dragBar = nullptr;
    ListView* m_list = nullptr;
    QLabel* m_location = nullptr;
    QLabel* m_panels[2] = {};
    QTimer* m_dcTimer = nullptr;
    QString m_pendingRowKey;
    PaneLayout m_panes;
    static constexpr int kColumnCount = 4;
    int m_openedColumnWidths[kColumnCount] = {}; // pixels, as restored from the settings
    bool m_closing = false;
    QHash<QString, std::function<void()>> m_commands;
};

} // namespace dovrin::ui
