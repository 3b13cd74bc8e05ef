#include "MainWindow.h"

#include "BuildInfo.h"
#include "BusyCursor.h"
#include "CatalogueTree.h"
#include "DiskInfoDialog.h"
#include "DragBar.h"
#include "FileIcons.h"
#include "FolderChooser.h"
#include "ThemeIcons.h"
#include "comments/CommentEdit.h"
#include "comments/CommentStore.h"
#include "common/Prompt.h"
#include "common/Twips.h"
#include "config/Settings.h"
#include "config/Startup.h"
#include "filelist/FileListModel.h"
#include "filelist/ListView.h"
#include "scan/RecordBackup.h"
#include "store/Database.h"
#include "store/DiskRecord.h"
#include "store/Keys.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace dovrin::ui {

namespace {

// Room kept between the location label and the panes, and below the panes.
constexpr int kPaneSpacing = 4;

// The disk items whose enabling follows the tree's selection.
const char* const kSelectedDiskItems[] = {"mnuDeleteDisk", "mnuRenameDisk",    "mnuDiskInfo",
                                          "mnuUpdateDisk", "mnuMoveDiskToCat", "mnuTextFile",
                                          "mnuOnlyOnDisk", "mnuVerifyDisk"};

bool isDiskTag(const QString& tag)
{
    return tag == tags::kDisk || tag == tags::kDiskRead;
}

// Keeps a settings field in its 16-bit range.
qint16 toSetting(double value)
{
    return qint16(qBound(-32768.0, std::round(value), 32767.0));
}

} // namespace

MainWindow::MainWindow(Startup& startup, Database& database, Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_startup(startup), m_settings(startup.settings()), m_database(database),
      m_prompt(prompt), m_shutdown([] { QCoreApplication::quit(); })
{
    setObjectName(QStringLiteral("Base"));
    setWindowTitle(QStringLiteral("Dovrin 2"));
    // The program's own icon once installed; a themed disk in a build.
    QIcon icon = platform::themeIcon(QLatin1String(build::kAppId));
    setWindowIcon(icon.isNull() ? platform::themeIcon(QStringLiteral("media-optical")) : icon);
    // Below this the list could not keep its 1000 twips beside a visible tree.
    setMinimumSize(toPixelsX(5400), toPixelsY(3900));

    // The image list gets its folder images when the window is made.
    platform::addStandardImages();
    buildPanes();
    buildMenus();
    buildToolbar();
    buildStatusBar();

    m_dcTimer = new QTimer(this);
    m_dcTimer->setObjectName(QStringLiteral("dcTimer"));
    m_dcTimer->setInterval(300);
    connect(m_dcTimer, &QTimer::timeout, this, &MainWindow::selectPendingRow);

    setCommand(QStringLiteral("mnuQuit"), [this] { close(); });
    setCommand(QStringLiteral("mnuLoadDatabase"), [this] { loadDatabaseChosen(); });
    setCommand(QStringLiteral("mnuLoadDefaultDatabase"), [this] { loadDefaultDatabase(); });
    setCommand(QStringLiteral("mnuDiskInfo"), [this] { showDiskInfo(); });
    setCommand(QStringLiteral("mnuHFileComment"), [this] { editFileComment(); });
    // Unsort is there from the start but offered only after a header click.
    setCommand(QStringLiteral("mnuUnsort"), [this] { unsortFileList(); });
    action(QStringLiteral("mnuUnsort"))->setEnabled(false);

    restoreGeometryFromSettings();
    m_tree->setFocus();
    toolsMenuOpening();
    catalogueMenuOpening();
    diskMenuOpening();
    fileMenuOpening();
}

MainWindow::~MainWindow() = default;

// ---- building ----------------------------------------------------------------------------

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    item->setEnabled(false);
    const QString actionName = QLatin1String(name);
    connect(item, &QAction::triggered, this, [this, actionName] { run(actionName); });
    return item;
}

void MainWindow::buildMenus()
{
    auto addMenu = [this](const char* name, const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addSeparator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    QMenu* tools = addMenu("mnuTools", QStringLiteral("&Tools"));
    addItem(tools, "mnuSearch", QStringLiteral("&Search"), QKeySequence(Qt::CTRL | Qt::Key_S));
    addItem(tools, "mnuCopies", QStringLiteral("Find copies..."));
    addItem(tools, "mnuUnsort", QStringLiteral("Unsort the file list"));
    addItem(tools, "mnuOptions", QStringLiteral("&Options"), QKeySequence(Qt::CTRL | Qt::Key_O));
    addItem(tools, "mnuPrint", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
    addItem(tools, "mnuTextAll", QStringLiteral("&Export all disks to text files"));
    addSeparator(tools, "mnuSplit3");
    addItem(tools, "mnuQuit", QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(tools, &QMenu::aboutToShow, this, &MainWindow::toolsMenuOpening);

    QMenu* database = addMenu("mnuDatabase", QStringLiteral("&Database"));
    addItem(database, "mnuLoadDatabase", QStringLiteral("Load..."));
    addItem(database, "mnuLoadDefaultDatabase", QStringLiteral("Load Default"));

    QMenu* catalogue = addMenu("mnuCatalogue", QStringLiteral("&Catalogue"));
    addItem(catalogue, "mnuNewCatalogue", QStringLiteral("Create new catalogue"));
    addSeparator(catalogue, "mnuSplit5");
    addItem(catalogue, "mnuDeleteCatalogue", QStringLiteral("Delete selected"));
    addItem(catalogue, "mnuRenameCatalogue", QStringLiteral("Rename selected"));
    connect(catalogue, &QMenu::aboutToShow, this, &MainWindow::catalogueMenuOpening);

    QMenu* disk = addMenu("mnuDisk", QStringLiteral("Dis&k"));
    addItem(disk, "mnuNewDisk", QStringLiteral("&Catalogue a new disk"),
            QKeySequence(Qt::CTRL | Qt::Key_N));
    addSeparator(disk, "mnuSplit4");
    addItem(disk, "mnuDeleteDisk", QStringLiteral("&Delete selected disk"),
            QKeySequence(Qt::CTRL | Qt::Key_D));
    addItem(disk, "mnuRenameDisk", QStringLiteral("&Rename selected disk"),
            QKeySequence(Qt::CTRL | Qt::Key_R));
    addItem(disk, "mnuUpdateDisk", QStringLiteral("&Update selected disk"),
            QKeySequence(Qt::CTRL | Qt::Key_U));
    addItem(disk, "mnuMoveDiskToCat", QStringLiteral("&Move to catalogue..."),
            QKeySequence(Qt::CTRL | Qt::Key_M));
    addItem(disk, "mnuTextFile", QStringLiteral("&Export selected disk to text file"));
    addItem(disk, "mnuDiskInfo", QStringLiteral("Dis&k info"));
    addSeparator(disk, "mnuSplitCopies");
    addItem(disk, "mnuOnlyOnDisk", QStringLiteral("Files only on this disk"));
    addItem(disk, "mnuVerifyDisk", QStringLiteral("&Verify against the disk..."));
    connect(disk, &QMenu::aboutToShow, this, &MainWindow::diskMenuOpening);

    QMenu* file = addMenu("mnuRC", QStringLiteral("&File"));
    addItem(file, "mnuRCRun", QStringLiteral("&Run"));
    addItem(file, "mnuHCopyto", QStringLiteral("Copy &to..."));
    addItem(file, "mnuHCopytoDesktop", QStringLiteral("&Copy to desktop"));
    addSeparator(file, "mnuSplit2");
    addItem(file, "mnuHFileComment", QStringLiteral("&Edit file comment"),
            QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(file, &QMenu::aboutToShow, this, &MainWindow::fileMenuOpening);

    QMenu* help = addMenu("mnuH", QStringLiteral("&Help"));
    addItem(help, "mnuHelp", QStringLiteral("&Help"));
    addItem(help, "mnuAbout", QStringLiteral("&About"));
}

void MainWindow::addToolButton(const char* key, const QString& iconName, const QString& tooltip)
{
    auto* toolbar = findChild<QToolBar*>(QStringLiteral("Toolbar"));
    QAction* button = toolbar->addAction(platform::themeIcon(iconName), tooltip);
    button->setObjectName(QLatin1String(key));
    button->setProperty("themeIconName", iconName);
    button->setToolTip(tooltip);
    const QString buttonKey = QLatin1String(key);
    connect(button, &QAction::triggered, this,
            [this, buttonKey] { toolbarButtonClick(buttonKey); });
}

void MainWindow::buildToolbar()
{
    auto* toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    toolbar->setObjectName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(22, 22));
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolbar);

    addToolButton("cmdNew", QStringLiteral("document-new"), QStringLiteral("Catalogue a disk"));
    addToolButton("cmdDel", QStringLiteral("edit-delete"),
                  QStringLiteral("Delete disk or catalogue"));
    toolbar->addSeparator();
    addToolButton("cmdSearch", QStringLiteral("edit-find"), QStringLiteral("Search"));
    addToolButton("cmdOptions", QStringLiteral("preferences-system"), QStringLiteral("Options"));
    addToolButton("cmdPrint", QStringLiteral("document-print"), QStringLiteral("Print"));
    toolbar->addSeparator();
    addToolButton("cmdHelp", QStringLiteral("help-browser"), QStringLiteral("Help"));
    addToolButton("cmdAbout", QStringLiteral("help-about"), QStringLiteral("About"));
    addToolButton("cmdQuit", QStringLiteral("application-exit"), QStringLiteral("Quit"));
}

void MainWindow::buildPanes()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panes"));
    setCentralWidget(central);
    central->installEventFilter(this);

    m_location = new QLabel(central);
    m_location->setObjectName(QStringLiteral("labLocation"));
    m_location->setTextFormat(Qt::PlainText);
    m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_tree = new CatalogueTree(central);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &MainWindow::treeExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &MainWindow::treeCollapsed);
    connect(m_tree, &CatalogueTree::nodeClicked, this, &MainWindow::treeNodeClicked);
    connect(m_tree, &CatalogueTree::contextMenuWanted, this, &MainWindow::treeContextMenu);
    // Shortcuts act on the items' state, so it follows the selection as the menus would see it.
    auto followSelection = [this] {
        catalogueMenuOpening();
        diskMenuOpening();
    };
    connect(m_tree, &QTreeWidget::currentItemChanged, this, followSelection);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, followSelection);

    m_dragBar = new DragBar(central);
    connect(m_dragBar, &DragBar::dragged, this,
            [this](int offset) { dragSplitter(qRound(toTwipsX(offset))); });

    m_list = new ListView(central);
    connect(m_list, &ListView::locationTextChanged, m_location, &QLabel::setText);
    connect(m_list, &ListView::summaryTextChanged, this, &MainWindow::setListingStatus);
    connect(m_list, &ListView::columnSorted, this, &MainWindow::listSorted);
    connect(
        m_list, &ListView::rowContextMenuRequested, this,
        [this](const QString&, const QPoint& pos) { menu(QStringLiteral("mnuRC"))->popup(pos); });
    connect(m_list, &ListView::rowActivated, this, [this] { run(QStringLiteral("mnuRCRun")); });
    // Shortcuts act on the items' state, so it follows the list as the menu would see it.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::fileMenuOpening);
    connect(m_list->model(), &QAbstractItemModel::modelReset, this, &MainWindow::fileMenuOpening);
}

void MainWindow::buildStatusBar()
{
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        m_panels[i]->setTextFormat(Qt::PlainText);
    }
    m_panels[0]->setMinimumWidth(toPixelsX(2550));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_panels[0]);
    statusBar()->addWidget(m_panels[1], 1);
}

// ---- commands ----------------------------------------------------------------------------

void MainWindow::setCommand(const QString& actionName, std::function<void()> handler)
{
    m_commands.insert(actionName, std::move(handler));
    if (QAction* item = action(actionName))
        item->setEnabled(true);
    toolsMenuOpening();
    catalogueMenuOpening();
    diskMenuOpening();
    fileMenuOpening();
    // The toolbar buttons stand for their menu items.
    static const QHash<QString, QString> buttonOf = {
        {QStringLiteral("mnuNewDisk"), QStringLiteral("cmdNew")},
        {QStringLiteral("mnuSearch"), QStringLiteral("cmdSearch")},
        {QStringLiteral("mnuOptions"), QStringLiteral("cmdOptions")},
        {QStringLiteral("mnuPrint"), QStringLiteral("cmdPrint")},
        {QStringLiteral("mnuHelp"), QStringLiteral("cmdHelp")},
        {QStringLiteral("mnuAbout"), QStringLiteral("cmdAbout")},
    };
    for (auto it = buttonOf.begin(); it != buttonOf.end(); ++it) {
        if (QAction* button = action(it.value()))
            button->setEnabled(isWired(it.key()));
    }
}

QAction* MainWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* MainWindow::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

void MainWindow::run(const QString& actionName)
{
    const auto it = m_commands.constFind(actionName);
    if (it != m_commands.constEnd())
        (*it)();
}

void MainWindow::enableWired(const QString& actionName, bool rule)
{
    if (QAction* item = action(actionName))
        item->setEnabled(rule && isWired(actionName));
}

void MainWindow::toolbarButtonClick(const QString& key)
{
    if (key == QLatin1String("cmdNew"))
        run(QStringLiteral("mnuNewDisk"));
    else if (key == QLatin1String("cmdDel"))
        deleteSelected();
    else if (key == QLatin1String("cmdSearch"))
        run(QStringLiteral("mnuSearch"));
    else if (key == QLatin1String("cmdOptions"))
        run(QStringLiteral("mnuOptions"));
    else if (key == QLatin1String("cmdPrint"))
        run(QStringLiteral("mnuPrint"));
    else if (key == QLatin1String("cmdHelp"))
        run(QStringLiteral("mnuHelp"));
    else if (key == QLatin1String("cmdAbout"))
        run(QStringLiteral("mnuAbout"));
    else if (key == QLatin1String("cmdQuit"))
        close();
}

void MainWindow::deleteSelected()
{
    if (!m_tree->currentItem() || m_tree->selectedItems().isEmpty()) {
        m_prompt.error(QStringLiteral("No disk or catalogue selected"));
        return;
    }
    const QString tag = m_tree->selectedTag();
    if (isDiskTag(tag))
        run(QStringLiteral("mnuDeleteDisk"));
    else if (tag == tags::kCatalogue)
        run(QStringLiteral("mnuDeleteCatalogue"));
}

// ---- menu enabling -----------------------------------------------------------------------

void MainWindow::toolsMenuOpening()
{
    const bool hasNodes = m_tree->topLevelItemCount() > 0;
    enableWired(QStringLiteral("mnuTextAll"), hasNodes);
    enableWired(QStringLiteral("mnuSearch"), hasNodes);
    enableWired(QStringLiteral("mnuCopies"), hasNodes);
    enableWired(QStringLiteral("mnuPrint"), hasNodes);
}

void MainWindow::catalogueMenuOpening()
{
    const bool catalogue = m_tree->selectedTag() == tags::kCatalogue;
    enableWired(QStringLiteral("mnuDeleteCatalogue"), catalogue);
    enableWired(QStringLiteral("mnuRenameCatalogue"), catalogue);
}

void MainWindow::diskMenuOpening()
{
    const bool disk = isDiskTag(m_tree->selectedTag());
    for (const char* name : kSelectedDiskItems)
        enableWired(QLatin1String(name), disk);
}

void MainWindow::fileMenuOpening()
{
    const QStringList items = {QStringLiteral("mnuRCRun"), QStringLiteral("mnuHCopyto"),
                               QStringLiteral("mnuHCopytoDesktop"),
                               QStringLiteral("mnuHFileComment")};
    if (m_list->rowCount() == 0) {
        for (const QString& name : items)
            enableWired(name, false);
        return;
    }
    const int row = m_list->currentRow();
    const QString tag = row != -1 ? m_list->rowTag(row) : QString();
    if (tag == tags::kFolder || tag == tags::kFile) {
        enableWired(items[0], tag == tags::kFile);
        for (int i = 1; i < items.size(); ++i)
            enableWired(items[i], true);
    }
}

// ---- the tree ----------------------------------------------------------------------------

void MainWindow::treeExpanded(QTreeWidgetItem* item)
{
    if (CatalogueTree::tagOf(item) == tags::kDisk)
        readDiskTree(CatalogueTree::keyOf(item));
}

void MainWindow::treeCollapsed(QTreeWidgetItem*)
{
    clearFileList();
}

void MainWindow::treeNodeClicked(QTreeWidgetItem* item)
{
    if (CatalogueTree::tagOf(item) == tags::kCatalogue)
        return;
    m_location->clear();
    fillFileList(CatalogueTree::keyOf(item));
}

void MainWindow::treeContextMenu(QTreeWidgetItem* item, const QPoint& globalPos)
{
    const QString tag = CatalogueTree::tagOf(item);
    if (isDiskTag(tag))
        menu(QStringLiteral("mnuDisk"))->popup(globalPos);
    else if (tag == tags::kCatalogue)
        menu(QStringLiteral("mnuCatalogue"))->popup(globalPos);
}

void MainWindow::readDiskTree(const QString& diskKey)
{
    QTreeWidgetItem* disk = m_tree->node(diskKey);
    if (!disk)
        return;
    platform::BusyCursor busy;
    setListingStatus(QStringLiteral("Please wait, reading in disk tree..."));
    QStringList folders;
    readTreeFile(m_database.folder().recordFile(diskKey.chopped(1), ".t"), folders);
    m_tree->setUpdatesEnabled(false);
    m_tree->addFolders(diskKey, folders);
    m_tree->removeNode(diskKey + u'*');
    m_tree->setTag(disk, tags::kDiskRead);
    m_tree->setUpdatesEnabled(true);
    setListingStatus(QString());
}

// ---- DatabaseView ------------------------------------------------------------------------

void MainWindow::clearTree()
{
    m_tree->clearNodes();
    toolsMenuOpening();
}

void MainWindow::addNode(const QString& parentKey, const TreeNode& node)
{
    const bool first = m_tree->topLevelItemCount() == 0;
    m_tree->addNode(parentKey, node);
    if (first)
        toolsMenuOpening();
}

void MainWindow::removeNode(const QString& key)
{
    m_tree->removeNode(key);
    if (m_tree->topLevelItemCount() == 0)
        toolsMenuOpening();
}

void MainWindow::clearFileList()
{
    m_list->clearFileList();
}

void MainWindow::setStatusText(const QString& text)
{
    m_panels[0]->setText(text);
    m_panels[0]->repaint();
}

void MainWindow::setListingStatus(const QString& text)
{
    m_panels[1]->setText(text);
    m_panels[1]->repaint();
}

QString MainWindow::statusText(int panel) const
{
    return m_panels[panel - 1]->text();
}

QString MainWindow::location() const
{
    return m_location->text();
}

void MainWindow::fillFileList(const QString& key)
{
    m_list->setDatabaseFolder(m_database.folder());
    m_list->fillFileList(key);
}

void MainWindow::listSorted()
{
    if (m_database.disks().count() > 0)
        action(QStringLiteral("mnuUnsort"))->setEnabled(true);
}

void MainWindow::unsortFileList()
{
    m_list->unsort();
    action(QStringLiteral("mnuUnsort"))->setEnabled(false);
    if (!m_tree->selectedItems().isEmpty())
        fillFileList(m_tree->selectedKey());
}

// ---- database commands -------------------------------------------------------------------

void MainWindow::loadDatabase(const QString& folder)
{
    platform::BusyCursor busy;
    // A scan killed in the middle left backups or a half-written record: repair first.
    recoverInterruptedScans(DatabaseFolder(folder));
    // The tree is laid out once, after the last node.
    m_tree->setUpdatesEnabled(false);
    m_database.load(DatabaseFolder(folder));
    m_tree->setUpdatesEnabled(true);
    toolsMenuOpening();
}

void MainWindow::loadStartupDatabase()
{
    const QString folder = m_startup.chooseDatabaseFolder();
    loadDatabase(folder);
}

void MainWindow::loadDatabaseChosen()
{
    const QString folder = platform::FolderChooser::browseForFolder(this);
    if (folder.isEmpty())
        return;
    platform::BusyCursor busy;
    m_tree->setUpdatesEnabled(false);
    m_startup.loadChosenDatabase(m_database, folder);
    m_tree->setUpdatesEnabled(true);
    toolsMenuOpening();
}

void MainWindow::loadDefaultDatabase()
{
    platform::BusyCursor busy;
    m_tree->setUpdatesEnabled(false);
    m_startup.loadDefaultDatabase(m_database);
    m_tree->setUpdatesEnabled(true);
    toolsMenuOpening();
}

void MainWindow::showDiskInfo()
{
    const QString key = m_tree->selectedKey();
    if (!isDiskTag(m_tree->selectedTag()))
        return;
    const int index = keys::findDisk(m_database.disks(), key);
    if (index == 0)
        return;
    DiskInfoDialog dialog(m_database.disks().at(index), m_database.folder(), this);
    dialog.exec();
}

void MainWindow::editFileComment()
{
    const int row = m_list->currentRow();
    if (row == -1)
        return;
    const QString key = m_list->rowKey(row);
    const QString current = m_list->listModel()->text(row, 3);
    CommentStore store(m_database.folder());
    const comments::EditResult result = comments::editComment(m_prompt, store, key, current);
    if (result.outcome == comments::EditResult::Stored)
        m_list->setRowComment(key, result.comment);
    else if (result.outcome == comments::EditResult::Failed)
        m_prompt.error(result.error);
}

// ---- search results ----------------------------------------------------------------------

void MainWindow::selectRowLater(const QString& rowKey)
{
    m_pendingRowKey = rowKey;
    m_tree->setEnabled(false);
    m_list->setEnabled(false);
    m_dcTimer->start();
}

void MainWindow::selectPendingRow()
{
    m_tree->setEnabled(true);
    m_list->setEnabled(true);
    m_dcTimer->stop();
    if (m_list->selectKey(m_pendingRowKey))
        m_list->setFocus();
}

// ---- geometry ----------------------------------------------------------------------------

int MainWindow::innerWidthTwips() const
{
    return qRound(toTwipsX(centralWidget()->width()));
}

void MainWindow::restoreGeometryFromSettings()
{
    setGeometry(toPixelsX(m_settings.windowLeft), toPixelsY(m_settings.windowTop),
                toPixelsX(m_settings.windowWidth), toPixelsY(m_settings.windowHeight));
    // The panes follow the window's inner width, known once the frame has laid itself out.
    centralWidget()->resize(width(), centralWidget()->height());
    m_panes = PaneLayout::opened(m_settings.splitterLeft, qRound(toTwipsX(width())));
    const double widths[kColumnCount] = {m_settings.columnWidth1, m_settings.columnWidth2,
                                         m_settings.columnWidth3, m_settings.columnWidth4};
    // The Size and Modified columns open wide enough for a long size and date-time, which the
    // default widths, drawn for a narrower font, do not hold.
    for (int i = 0; i < kColumnCount; ++i) {
        m_openedColumnWidths[i] = qMax(toPixelsX(widths[i]), m_list->longValueWidth(i));
        m_list->setColumnWidthPixels(i, m_openedColumnWidths[i]);
    }
    layoutPanes();
}

void MainWindow::storeGeometryInSettings()
{
    // The normal geometry, also when the window is maximised or minimised.
    const QRect normal =
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
            ? normalGeometry()
            : geometry();
    m_settings.windowLeft = toSetting(keptTwipsX(m_settings.windowLeft, normal.x()));
    m_settings.windowTop = toSetting(keptTwipsY(m_settings.windowTop, normal.y()));
    m_settings.windowWidth = toSetting(keptTwipsX(m_settings.windowWidth, normal.width()));
    m_settings.windowHeight = toSetting(keptTwipsY(m_settings.windowHeight, normal.height()));
    m_settings.splitterLeft = toSetting(m_panes.barLeft);
    double* widths[kColumnCount] = {&m_settings.columnWidth1, &m_settings.columnWidth2,
                                    &m_settings.columnWidth3, &m_settings.columnWidth4};
    // A column left as it opened keeps its stored width.
    for (int i = 0; i < kColumnCount; ++i) {
        const int pixels = m_list->columnWidthPixels(i);
        if (pixels != m_openedColumnWidths[i])
            *widths[i] = keptTwipsX(*widths[i], pixels);
    }
}

void MainWindow::dragSplitter(int dxTwips)
{
    if (m_panes.drag(dxTwips))
        layoutPanes();
}

void MainWindow::layoutPanes()
{
    QWidget* central = centralWidget();
    const int labelHeight = m_location->sizeHint().height();
    const int labelLeft = toPixelsX(PaneLayout::kLocationInset - PaneLayout::kListRightMargin);
    m_location->setGeometry(labelLeft, kPaneSpacing,
                            qMax(0, toPixelsX(PaneLayout::locationWidth(innerWidthTwips()))),
                            labelHeight);
    // The toolbar and the status bar stand outside this area, so the panes simply fill it
    // below the location label.
    const int top = kPaneSpacing * 2 + labelHeight;
    const int height = qMax(0, central->height() - top - kPaneSpacing);
    const int barLeft = toPixelsX(m_panes.barLeft);
    const int listLeft = toPixelsX(m_panes.listLeft);
    m_tree->setGeometry(0, top, qMax(0, toPixelsX(m_panes.treeWidth)), height);
    m_dragBar->setGeometry(barLeft, top, qMax(1, listLeft - barLeft), height);
    m_list->setGeometry(listLeft, top, qMax(0, toPixelsX(m_panes.listWidth)), height);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize && !isMinimized()) {
        m_panes.resize(innerWidthTwips());
        layoutPanes();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Tinted icons take the text colour of the palette they were made for.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange) {
        for (QAction* button : findChild<QToolBar*>(QStringLiteral("Toolbar"))->actions()) {
            const QString name = button->property("themeIconName").toString();
            if (!name.isEmpty())
                button->setIcon(platform::themeIcon(name));
        }
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    storeGeometryInSettings();
    m_startup.saveSettings();
    event->accept();
    m_shutdown();
}

} // namespace dovrin::ui
