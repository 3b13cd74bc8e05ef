#include "Fixtures.h"
#include "FolderChooser.h"
#include "MessageBoxPrompt.h"
#include "TestFiles.h"
#include "add/AddDiskDialog.h"
#include "commands/Commands.h"
#include "comments/CommentStore.h"
#include "common/Twips.h"
#include "config/Settings.h"
#include "config/Startup.h"
#include "filelist/KeyedListModel.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/DiskInfoDialog.h"
#include "mainwindow/DragBar.h"
#include "mainwindow/MainWindow.h"
#include "search/SearchWindow.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

using namespace dovrin;
using dovrin::platform::FolderChooser;
using dovrin::platform::MessageBoxPrompt;
using dovrin::ui::CatalogueTree;
using dovrin::ui::MainWindow;

// The main window on a small database in a temporary folder, driven as a user would.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_programDir;
    MessageBoxPrompt m_prompt;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ui::CommandContext> m_context;
    QStringList m_ran;

    CatalogueTree* tree() { return m_window->tree(); }
    QTreeWidgetItem* node(const QString& key) { return tree()->node(key); }

    // Plugs every not-yet-provided command in with a recorder, so enabling rules show.
    void wireAll()
    {
        for (QAction* item : m_window->findChildren<QAction*>()) {
            const QString name = item->objectName();
            if (name.startsWith(QLatin1String("mnu")) && !item->isSeparator() && !item->isEnabled())
                m_window->setCommand(name, [this, name] { m_ran << name; });
        }
    }

    static int twipsOf(int pixels) { return qRound(ui::toTwipsX(pixels)); }

    QPoint centerOf(QTreeWidgetItem* item) { return tree()->visualItemRect(item).center(); }

    void rightClick(const QPoint& pos)
    {
        QTest::mouseClick(tree()->viewport(), Qt::RightButton, {}, pos);
    }

    // The real commands of every menu, as the program plugs them in.
    ui::CommandContext& installCommands()
    {
        m_context = std::make_unique<ui::CommandContext>(
            ui::CommandContext{*m_window, *m_database, *m_startup, m_prompt, {}});
        ui::installCommands(*m_context);
        return *m_context;
    }

    // Runs a menu item by its shortcut, as a user would, with the window's focus.
    void press(QKeySequence keys)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keySequence(m_window.get(), keys);
    }

    // Answers the modal catalogue chooser that the next command opens.
    // Answers the modal catalogue chooser once the next command has opened it.
    void chooseCatalogueLater(const QString& choice, QStringList* offered = nullptr)
    {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [=] {
            QWidget* chooser = QApplication::activeModalWidget();
            if (!chooser || chooser->objectName() != QLatin1String("CatSelect"))
                return;
            poll->deleteLater();
            QCOMPARE(chooser->windowTitle(), QStringLiteral("Select Catalogue..."));
            auto* select = chooser->findChild<QComboBox*>(QStringLiteral("cmbSelect"));
            for (int i = 0; offered && i < select->count(); ++i)
                offered->append(select->itemText(i));
            select->setCurrentText(choice);
            const char* button = choice.isEmpty() ? "cmdCancel" : "cmdOK";
            QTest::mouseClick(chooser->findChild<QPushButton*>(QLatin1String(button)),
                              Qt::LeftButton);
        });
        poll->start(10);
    }

    void closeMenus()
    {
        for (const char* name : {"mnuDisk", "mnuCatalogue"})
            m_window->menu(QLatin1String(name))->close();
    }

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

    void init()
    {
        QVERIFY(m_dir.isValid());
        test::writeSampleDatabase(m_dir.path());
        m_startup = std::make_unique<Startup>(m_prompt, m_programDir.path() + u'/',
                                              m_programDir.filePath(QStringLiteral("lock")));
        QVERIFY(m_startup->loadSettings());
        m_database = std::make_unique<Database>(m_prompt);
        m_window = std::make_unique<MainWindow>(*m_startup, *m_database, m_prompt);
        m_window->setShutdown([] {});
        m_database->setView(m_window.get());
        m_window->loadDatabase(m_dir.path());
        node(QStringLiteral("Holidays\\"))->setExpanded(true);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_ran.clear();
    }

    void cleanup()
    {
        m_context.reset();
        m_window.reset();
        m_database.reset();
        const int unanswered = MessageBoxPrompt::pendingAnswers();
        MessageBoxPrompt::resetTestHooks();
        FolderChooser::resetTestHooks();
        m_startup.reset();
        QDir(m_programDir.path()).removeRecursively();
        QDir().mkpath(m_programDir.path());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        QCOMPARE(unanswered, 0);
    }

    void loadBuildsTheTree()
    {
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 3 disks catalogued"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Dovrin 2"));
        QCOMPARE(tree()->topLevelItemCount(), 3);
        QCOMPARE(CatalogueTree::tagOf(node(QStringLiteral(".\\Loose\\"))), QStringLiteral("DISK"));
        QTreeWidgetItem* holidays = node(QStringLiteral("Holidays\\"));
        QCOMPARE(CatalogueTree::tagOf(holidays), QStringLiteral("CAT"));
        QCOMPARE(holidays->childCount(), 2);
        QCOMPARE(holidays->child(0)->text(0), QStringLiteral("Photos"));
        QCOMPARE(node(QStringLiteral("Holidays\\Photos\\*"))->parent(),
                 node(QStringLiteral("Holidays\\Photos\\")));
        QCOMPARE(node(QStringLiteral("Empty\\"))->childCount(), 0);

        // A catalogue keeps its disks sorted by name, ignoring case.
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/apple"), {}, "\":\"\n");
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/Zebra"), {}, "\":\"\n");
        m_window->loadDatabase(m_dir.path());
        holidays = node(QStringLiteral("Holidays\\"));
        QStringList names;
        for (int i = 0; i < holidays->childCount(); ++i)
            names << holidays->child(i)->text(0);
        QCOMPARE(names, QStringList({"apple", "Photos", "Videos", "Zebra"}));
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 5 disks catalogued"));
    }

    void expandReadsTheDiskTreeOnce()
    {
        QTreeWidgetItem* photos = node(QStringLiteral("Holidays\\Photos\\"));
        photos->setExpanded(true);
        QCOMPARE(CatalogueTree::tagOf(photos), QStringLiteral("DISKIN"));
        QVERIFY(!node(QStringLiteral("Holidays\\Photos\\*")));
        QCOMPARE(photos->childCount(), 2);
        QTreeWidgetItem* games = node(QStringLiteral("Holidays\\Photos\\Games\\"));
        QCOMPARE(games->parent(), photos);
        QCOMPARE(games->text(0), QStringLiteral("Games"));
        QCOMPARE(CatalogueTree::tagOf(games), QStringLiteral("FOLDER"));
        QCOMPARE(node(QStringLiteral("Holidays\\Photos\\Games\\Saves\\"))->parent(), games);
        QCOMPARE(m_window->statusText(2), QString());

        // A second expansion reads nothing, even when the tree file has changed.
        test::writeFile(m_dir.filePath(QStringLiteral("Holidays/Photos.t")), ":\\New\r\n");
        photos->setExpanded(false);
        photos->setExpanded(true);
        QCOMPARE(photos->childCount(), 2);
    }

    void oddTreeFileLinesAreSkipped()
    {
        test::writeFile(m_dir.filePath(QStringLiteral("Holidays/Photos.t")),
                        ":\\A\r\nnoslash\r\n:\\A\r\n:\\Missing\\B\r\n:\\C\r\n");
        node(QStringLiteral("Holidays\\Photos\\"))->setExpanded(true);
        QTreeWidgetItem* photos = node(QStringLiteral("Holidays\\Photos\\"));
        QCOMPARE(photos->childCount(), 2);
        QCOMPARE(photos->child(1)->text(0), QStringLiteral("C"));
    }

    void collapseClearsTheListing()
    {
        QTreeWidgetItem* photos = node(QStringLiteral("Holidays\\Photos\\"));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, centerOf(photos));
        QCOMPARE(m_window->location(), QStringLiteral("Holidays\\Photos\\"));
        node(QStringLiteral("Holidays\\"))->setExpanded(false);
        QCOMPARE(m_window->location(), QString());
        QCOMPARE(m_window->statusText(2), QString());
        QCOMPARE(tree()->selectedKey(), QStringLiteral("Holidays\\Photos\\"));
    }

    void expandArrowDoesNotList()
    {
        QTreeWidgetItem* photos = node(QStringLiteral("Holidays\\Photos\\"));
        const QRect rect = tree()->visualItemRect(photos);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() - tree()->indentation() / 2, rect.center().y()));
        QVERIFY(photos->isExpanded());
        QCOMPARE(m_window->location(), QString());
    }

    void clickingNodesListsThem_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("status");
        QTest::newRow("unread disk root")
            << "Holidays\\Photos\\" << QStringList{"Games", "Music", "readme.txt", "setup.exe"}
            << "Holidays\\Photos\\"
            << "1,206KB in 4 items. (Disk free space: 1234.56MB)";
        QTest::newRow("folder") << "Holidays\\Photos\\Games\\" << QStringList{"Saves", "game.iso"}
                                << "Holidays\\Photos\\Games\\"
                                << "683,594KB in 2 items. (Disk free space: 1234.56MB)";
        QTest::newRow("loose disk") << ".\\Loose\\" << QStringList{"a.txt"} << "\\Loose\\"
                                    << " 10 bytes in 1 items. (Disk free space: 1234.56MB)";
        QTest::newRow("folders only")
            << "Holidays\\Videos\\" << QStringList{"Clips"} << "Holidays\\Videos\\"
            << " 1 items. Disk free space: 1234.56MB (Files not catalogued)";
    }

    void clickingNodesListsThem()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, rows);
        QFETCH(QString, location);
        QFETCH(QString, status);
        if (key.count(u'\\') > 2)
            node(keys::disk(key))->setExpanded(true);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, centerOf(node(key)));
        QStringList shown;
        for (int row = 0; row < m_window->list()->rowCount(); ++row) {
            shown << m_window->list()->listModel()->text(row, 0);
            QVERIFY(m_window->list()->rowKey(row).startsWith(key));
        }
        QCOMPARE(shown, rows);
        QCOMPARE(m_window->location(), location);
        QCOMPARE(m_window->statusText(2), status);
    }

    void editAndClearAComment()
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          centerOf(node(QStringLiteral("Holidays\\Photos\\"))));
        ui::ListView* list = m_window->list();
        QVERIFY(list->selectKey(QStringLiteral("Holidays\\Photos\\readme.txt")));
        const int row = list->currentRow();

        QCOMPARE(list->rowTag(row), QStringLiteral("FILE"));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        MessageBoxPrompt::setNextInput(QStringLiteral("  Read \"me\" first  "));
        QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(list->listModel()->text(row, 3), QStringLiteral("Read 'me' first"));
        QCOMPARE(test::readFile(m_dir.filePath(QStringLiteral("FileComments.dat"))),
                 QByteArray("\"Holidays\\Photos\\readme.txt\",\"Read 'me' first\"\r\n"));

        // Emptying the box asks first; No keeps the comment, Yes clears it.
        MessageBoxPrompt::setNextInput(QString());
        MessageBoxPrompt::setNextAnswer(PromptAnswer::No);
        m_window->action(QStringLiteral("mnuHFileComment"))->trigger();
        QCOMPARE(MessageBoxPrompt::answeredRequests().last().text,
                 QStringLiteral("Clear the file comment?"));
        QCOMPARE(list->listModel()->text(row, 3), QStringLiteral("Read 'me' first"));
        MessageBoxPrompt::setNextInput(QStringLiteral("   "));
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Yes);
        m_window->action(QStringLiteral("mnuHFileComment"))->trigger();
        QCOMPARE(list->listModel()->text(row, 3), QString());
        QCOMPARE(test::readFile(m_dir.filePath(QStringLiteral("FileComments.dat"))), QByteArray());

        // The comment is back after the folder is listed again.
        MessageBoxPrompt::setNextInput(QStringLiteral("kept"));
        m_window->action(QStringLiteral("mnuHFileComment"))->trigger();
        m_window->fillFileList(QStringLiteral("Holidays\\Photos\\"));
        QCOMPARE(list->listModel()->text(
                     list->rowOfKey(QStringLiteral("Holidays\\Photos\\readme.txt")), 3),
                 QStringLiteral("kept"));
    }

    void fileMenuFollowsTheRow()
    {
        wireAll();
        QMenu* file = m_window->menu(QStringLiteral("mnuRC"));
        Q_EMIT file->aboutToShow();
        QVERIFY(!m_window->action(QStringLiteral("mnuHFileComment"))->isEnabled());
        m_window->fillFileList(QStringLiteral("Holidays\\Photos\\"));
        ui::ListView* list = m_window->list();
        list->selectKey(QStringLiteral("Holidays\\Photos\\Games\\"));
        Q_EMIT file->aboutToShow();
        QVERIFY(!m_window->action(QStringLiteral("mnuRCRun"))->isEnabled());
        QVERIFY(m_window->action(QStringLiteral("mnuHCopyto"))->isEnabled());
        QVERIFY(m_window->action(QStringLiteral("mnuHFileComment"))->isEnabled());
        list->selectKey(QStringLiteral("Holidays\\Photos\\setup.exe"));
        Q_EMIT file->aboutToShow();
        QVERIFY(m_window->action(QStringLiteral("mnuRCRun"))->isEnabled());

        // The right button on a row shows the same menu.
        const QRect rect = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rect.center());
        QVERIFY(file->isVisible());
        file->close();
    }

    void menuEnablingFollowsTheSelection_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<bool>("catalogueItems");
        QTest::addColumn<bool>("diskItems");
        QTest::newRow("nothing") << QString() << false << false;
        QTest::newRow("catalogue") << "Holidays\\" << true << false;
        QTest::newRow("unread disk") << "Holidays\\Photos\\" << false << true;
        QTest::newRow("loose disk") << ".\\Loose\\" << false << true;
        QTest::newRow("read disk") << "Holidays\\Photos\\ read" << false << true;
        QTest::newRow("folder") << "Holidays\\Photos\\Games\\" << false << false;
    }

    void menuEnablingFollowsTheSelection()
    {
        QFETCH(QString, select);
        QFETCH(bool, catalogueItems);
        QFETCH(bool, diskItems);
        wireAll();
        node(QStringLiteral("Holidays\\Photos\\"))->setExpanded(select.contains(u'\\'));
        tree()->clearSelection();
        if (!select.isEmpty())
            tree()->selectNode(select.section(u' ', 0, 0));
        for (const char* name : {"mnuCatalogue", "mnuDisk"}) {
            QMenu* menu = m_window->menu(QLatin1String(name));
            Q_EMIT menu->aboutToShow();
        }
        QCOMPARE(m_window->action(QStringLiteral("mnuDeleteCatalogue"))->isEnabled(),
                 catalogueItems);
        QCOMPARE(m_window->action(QStringLiteral("mnuRenameCatalogue"))->isEnabled(),
                 catalogueItems);
        QVERIFY(m_window->action(QStringLiteral("mnuNewCatalogue"))->isEnabled());
        for (const char* name : {"mnuDeleteDisk", "mnuRenameDisk", "mnuDiskInfo", "mnuUpdateDisk",
                                 "mnuMoveDiskToCat", "mnuTextFile"})
            QVERIFY2(m_window->action(QLatin1String(name))->isEnabled() == diskItems, name);
        QVERIFY(m_window->action(QStringLiteral("mnuNewDisk"))->isEnabled());
    }

    void rightClickShowsTheNodesMenu_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("menu");
        QTest::newRow("catalogue") << "Holidays\\"
                                   << "mnuCatalogue";
        QTest::newRow("disk") << "Holidays\\Photos\\"
                              << "mnuDisk";
        QTest::newRow("folder") << "Holidays\\Photos\\Music\\" << QString();
    }

    void rightClickShowsTheNodesMenu()
    {
        QFETCH(QString, key);
        QFETCH(QString, menu);
        wireAll();
        node(QStringLiteral("Holidays\\Photos\\"))->setExpanded(true);
        rightClick(centerOf(node(key)));
        QCOMPARE(tree()->selectedKey(), key);
        QCOMPARE(m_window->menu(QStringLiteral("mnuCatalogue"))->isVisible(),
                 menu == QLatin1String("mnuCatalogue"));
        QCOMPARE(m_window->menu(QStringLiteral("mnuDisk"))->isVisible(),
                 menu == QLatin1String("mnuDisk"));
        if (menu == QLatin1String("mnuDisk"))
            QVERIFY(m_window->action(QStringLiteral("mnuDiskInfo"))->isEnabled());
        closeMenus();
    }

    void deleteButton()
    {
        wireAll();
        tree()->setCurrentItem(nullptr);
        tree()->clearSelection();
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Ok);
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QCOMPARE(MessageBoxPrompt::answeredRequests().size(), 1);
        const PromptRequest shown = MessageBoxPrompt::answeredRequests().first();
        QCOMPARE(shown.text, QStringLiteral("No disk or catalogue selected"));
        QCOMPARE(shown.title, QStringLiteral("Error"));
        QCOMPARE(shown.icon, PromptIcon::Critical);

        node(QStringLiteral("Holidays\\Photos\\"))->setExpanded(true);
        tree()->selectNode(QStringLiteral("Holidays\\Photos\\Games\\"));
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QVERIFY(m_ran.isEmpty());
        tree()->selectNode(QStringLiteral("Holidays\\Photos\\"));
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        tree()->selectNode(QStringLiteral("Holidays\\"));
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QCOMPARE(m_ran, QStringList({QStringLiteral("mnuDeleteDisk"),
                                     QStringLiteral("mnuDeleteCatalogue")}));
    }

    void splitterDragKeepsBothPanes()
    {
        auto* bar = m_window->findChild<ui::DragBar*>(QStringLiteral("DragBar"));
        QCOMPARE(m_window->splitterLeft(), 2900);
        auto drag = [bar](int dx) {
            QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(0, 10));
            QTest::mouseMove(bar, QPoint(dx, 10));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(dx, 10));
        };
        drag(-ui::toPixelsX(2800)); // would put the bar at about 100 twips: ignored as a whole
        QCOMPARE(m_window->splitterLeft(), 2900);
        drag(-100);
        QCOMPARE(m_window->splitterLeft(), 2900 - twipsOf(100));
        // A pixel at a time, the bar stops at 1000 twips.
        for (int i = 0; i < 300; ++i)
            drag(-1);
        QVERIFY(m_window->splitterLeft() >= 1000);
        QVERIFY(m_window->splitterLeft() < 1000 + twipsOf(1));
        const int left = m_window->splitterLeft();

        // Far right: the list keeps 1000 twips.
        const int inner = twipsOf(m_window->centralWidget()->width());
        drag(1000);
        QCOMPARE(m_window->splitterLeft(), left);
        const int maxLeft = inner - 130 - 1000 - 70;
        drag(ui::toPixelsX(maxLeft - left) - 1);
        QVERIFY(m_window->splitterLeft() <= maxLeft);
        QVERIFY(m_window->splitterLeft() > maxLeft - 2 * twipsOf(1));
        QVERIFY(!bar->isDragging());
    }

    void diskInformation_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("values"); // folders, files, total, files catalogued
        QTest::newRow("files") << "Holidays\\Photos\\"
                               << QStringList{"3", "4", "701,234,567 bytes",
                                              "Files were catalogued for this disk"};
        QTest::newRow("folders only")
            << "Holidays\\Videos\\"
            << QStringList{"1", "N/A", "N/A", "Files were not catalogued for this disk"};
        QTest::newRow("empty files")
            << ".\\Zero\\"
            << QStringList{"0", "2", " bytes", "Files were catalogued for this disk"};
    }

    void diskInformation()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, values);
        test::writeDisk(m_dir.path(), QStringLiteral("Zero"), {},
                        "\":\"\n\"a\",0,#2025-01-06#\n\"b\",0,#2025-01-06#\n");
        m_window->loadDatabase(m_dir.path());
        node(QStringLiteral("Holidays\\"))->setExpanded(true);
        tree()->selectNode(key);
        QStringList shown;
        QString disk;
        bool closed = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<ui::DiskInfoDialog*>(QApplication::activeModalWidget()));
            auto* info = qobject_cast<ui::DiskInfoDialog*>(QApplication::activeModalWidget());
            QTRY_VERIFY(!info->value(QStringLiteral("labFolders")).isEmpty());
            QCOMPARE(info->windowTitle(), QStringLiteral("Disk information"));
            disk = info->value(QStringLiteral("labDisk"));
            for (const char* name : {"labFolders", "labFiles", "labTotalSize", "labFilesCatted"})
                shown << info->value(QLatin1String(name));
            // A click on a value closes the window like one on the background.
            QTest::mouseClick(info->findChild<QLabel*>(QStringLiteral("labSpaceLeft")),
                              Qt::LeftButton);
            closed = !info->isVisible();
        });
        Q_EMIT m_window->menu(QStringLiteral("mnuDisk"))->aboutToShow();
        m_window->action(QStringLiteral("mnuDiskInfo"))->trigger();
        QCOMPARE(disk, key.chopped(1));
        QCOMPARE(shown, values);
        QVERIFY(closed);
    }

    // Create a catalogue, move a disk into it, rename the disk and the catalogue: the comment
    // made first is still on its file; then delete the disk and the catalogue.
    void manageCataloguesAndDisksFromTheMenus()
    {
        ui::CommandContext& context = installCommands();
        CommentStore store{DatabaseFolder(m_dir.path())};
        QVERIFY(store.set(QStringLiteral("Holidays\\Photos\\readme.txt"), QStringLiteral("kept")));

        MessageBoxPrompt::setNextInput(QStringLiteral(" Work "));
        m_window->action(QStringLiteral("mnuNewCatalogue"))->trigger();
        QCOMPARE(CatalogueTree::tagOf(node(QStringLiteral("Work\\"))), QStringLiteral("CAT"));

        // Cancel in the chooser changes nothing; a move unloads the search window, as every
        // command that changes keys does (the core's tests count the calls).
        context.search = new ui::SearchWindow(*m_database, m_window.get(), m_window.get());
        tree()->selectNode(QStringLiteral("Holidays\\Photos\\"));
        chooseCatalogueLater(QString());
        press(QKeySequence(QStringLiteral("Ctrl+M")));
        QVERIFY(!context.search.isNull() && node(QStringLiteral("Holidays\\Photos\\")));
        QStringList offered;
        chooseCatalogueLater(QStringLiteral("Work"), &offered);
        press(QKeySequence(QStringLiteral("Ctrl+M")));
        QVERIFY(context.search.isNull());
        QVERIFY(!offered.contains(QStringLiteral("Holidays")));
        QCOMPARE(offered.first(), QStringLiteral("<no catalogue>"));
        QCOMPARE(tree()->selectedKey(), QStringLiteral("Work\\Photos\\"));
        QCOMPARE(CatalogueTree::tagOf(node(QStringLiteral("Work\\Photos\\"))),
                 QStringLiteral("DISKIN"));
        QCOMPARE(m_database->disks().at(3).path, QStringLiteral("Work\\Photos"));
        QCOMPARE(m_window->location(), QStringLiteral("Work\\Photos\\"));

        MessageBoxPrompt::setNextInput(QStringLiteral("Pics"));
        press(QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(tree()->selectedKey(), QStringLiteral("Work\\Pics\\"));
        QCOMPARE(m_database->disks().at(3).path, QStringLiteral("Work\\Pics"));
        QVERIFY(node(QStringLiteral("Work\\Pics\\Games\\")));

        tree()->selectNode(QStringLiteral("Work\\"));
        MessageBoxPrompt::setNextInput(QStringLiteral("Trips"));
        m_window->action(QStringLiteral("mnuRenameCatalogue"))->trigger();
        QVERIFY(!node(QStringLiteral("Work\\")));
        QVERIFY(node(QStringLiteral("Trips\\Pics\\")));
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 3 disks catalogued"));
        m_window->fillFileList(QStringLiteral("Trips\\Pics\\"));
        ui::ListView* list = m_window->list();
        QCOMPARE(
            list->listModel()->text(list->rowOfKey(QStringLiteral("Trips\\Pics\\readme.txt")), 3),
            QStringLiteral("kept"));

        tree()->selectNode(QStringLiteral("Trips\\Pics\\"));
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Yes);
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QCOMPARE(MessageBoxPrompt::answeredRequests().last().defaultAnswer, PromptAnswer::No);
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 2 disks catalogued"));
        QVERIFY(store.entries().isEmpty());
        tree()->selectNode(QStringLiteral("Trips\\"));
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QVERIFY(!node(QStringLiteral("Trips\\")));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("Trips"))));

        // The last disks go: nothing left to list.
        for (const char* key : {".\\Loose\\", "Holidays\\Videos\\"}) {
            tree()->selectNode(QLatin1String(key));
            MessageBoxPrompt::setNextAnswer(PromptAnswer::Yes);
            press(QKeySequence(QStringLiteral("Ctrl+D")));
        }
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 0 disks catalogued"));
        QCOMPARE(m_window->list()->rowCount(), 0);
    }

    void commandsOpeningTheAddDialog_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("disks");
        QTest::addColumn<QString>("title"); // empty: the limit message instead
        QTest::newRow("new, 999 disks") << "mnuNewDisk" << 999 << "Catalogue a disk";
        QTest::newRow("new, 1000 disks") << "mnuNewDisk" << 1000 << "";
        QTest::newRow("update") << "mnuUpdateDisk" << 3 << "Update a disk";
    }

    void commandsOpeningTheAddDialog()
    {
        QFETCH(QString, command);
        QFETCH(int, disks);
        QFETCH(QString, title);
        installCommands();
        tree()->selectNode(QStringLiteral(".\\Loose\\"));
        while (m_database->disks().count() < disks)
            m_database->disks().append(
                {QStringLiteral(".\\D%1").arg(m_database->disks().count()), {}, {}, {}, 0});
        QString opened, disk;
        QTimer::singleShot(0, this, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = dialog->windowTitle();
                disk = dialog->findChild<QComboBox*>(QStringLiteral("comDiskList"))->currentText();
                dialog->reject();
            }
        });
        if (title.isEmpty())
            MessageBoxPrompt::setNextAnswer(PromptAnswer::Ok);
        m_window->action(command)->trigger();
        QCOMPARE(opened, title);
        if (title.isEmpty())
            QCOMPARE(MessageBoxPrompt::answeredRequests().last().text,
                     QStringLiteral("Dovrin 2 does not support more than 1000 disks"));
        if (command == u"mnuUpdateDisk")
            QCOMPARE(disk, QStringLiteral("\\Loose"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
