#include "DataTable.h"
#include "Fixtures.h"
#include "FolderChooser.h"
#include "MainWindowRig.h"
#include "MessageBoxPrompt.h"
#include "ScriptedPrompt.h"
#include "TextRows.h"
#include "comments/CommentStore.h"
#include "filelist/KeyedListModel.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueChooser.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/DiskInfoDialog.h"
#include "search/SearchWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace dovrin;
using dovrin::platform::FolderChooser;
using dovrin::platform::MessageBoxPrompt;
using dovrin::ui::CatalogueChooser;
using dovrin::ui::CatalogueTree;
using dovrin::ui::MainWindow;

// The main window on a small database in a temporary folder, driven as a user would.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MessageBoxPrompt m_prompt;
    test::MainWindowRig m_rig;
    MainWindow* m_window = nullptr;
    Database* m_database = nullptr;
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

    QPoint centerOf(QTreeWidgetItem* item) { return tree()->visualItemRect(item).center(); }

    // The real commands of every menu, as the program plugs them in.
    ui::CommandContext& installCommands() { return m_rig.installCommands(m_prompt); }

    // Runs a menu item by its shortcut, as a user would, with the window's focus.
    void press(QKeySequence keys)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QTest::keySequence(m_window, keys);
    }

    // Answers the modal catalogue chooser once the next command has opened it.
    void chooseCatalogueLater(const QString& choice)
    {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [=] {
            QWidget* chooser = QApplication::activeModalWidget();
            if (!chooser || chooser->objectName() != QLatin1String("CatSelect"))
                return;
            poll->deleteLater();
            QCOMPARE(chooser->windowTitle(), QStringLiteral("Select Catalogue..."));
            auto* select = chooser->findChild<QComboBox*>(QStringLiteral("cmbSelect"));
            select->setCurrentText(choice);
            QTest::mouseClick(chooser->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        });
        poll->start(10);
    }

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

    // A disk outside every catalogue, and no catalogue to move it to: the chooser says so and
    // chooses nothing.
    void catalogueChooserWithoutCatalogues()
    {
        QTemporaryDir empty;
        test::ScriptedPrompt prompt;
        const CatalogueChooser chooser(DatabaseFolder(empty.path()), QStringLiteral("."), prompt,
                                       nullptr);
        QCOMPARE(chooser.target(), QStringLiteral(":"));
        QCOMPARE(prompt.texts(),
                 QStringList{QStringLiteral("There are no catalogues - create a catalogue first")});
    }

    void init()
    {
        QVERIFY(m_dir.isValid());
        test::writeSampleDatabase(m_dir.path());
        QVERIFY(m_rig.open(m_prompt, m_dir.path(), false));
        m_window = m_rig.window.get();
        m_database = m_rig.database.get();
        node(QStringLiteral("Holidays\\"))->setExpanded(true);
        m_ran.clear();
    }

    void cleanup()
    {
        m_rig.close();
        const int unanswered = MessageBoxPrompt::pendingAnswers();
        MessageBoxPrompt::resetTestHooks();
        FolderChooser::resetTestHooks();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        QCOMPARE(unanswered, 0);
    }

    void loadBuildsTheTree()
    {
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 3 disks catalogued"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Dovrin 2"));
        QCOMPARE(tree()->topLevelItemCount(), 3);
        QCOMPARE(QStringList({CatalogueTree::tagOf(node(QStringLiteral(".\\Loose\\"))),
                              CatalogueTree::tagOf(node(QStringLiteral("Holidays\\")))}),
                 QStringList({"DISK", "CAT"}));
        QCOMPARE(node(QStringLiteral("Holidays\\Photos\\*"))->parent(),
                 node(QStringLiteral("Holidays\\Photos\\")));
        QCOMPARE(node(QStringLiteral("Empty\\"))->childCount(), 0);

        // A catalogue keeps its disks sorted by name, ignoring case.
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/apple"), {}, "\":\"\n");
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/Zebra"), {}, "\":\"\n");
        m_window->loadDatabase(m_dir.path());
        QTreeWidgetItem* holidays = node(QStringLiteral("Holidays\\"));
        QStringList names;
        for (int i = 0; i < holidays->childCount(); ++i)
            names << holidays->child(i)->text(0);
        QCOMPARE(names, QStringList({"apple", "Photos", "Videos", "Zebra"}));
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 5 disks catalogued"));

        // Nothing to search, list or print in an empty database.
        wireAll();
        QTemporaryDir empty;
        for (const QString& folder : {empty.path(), m_dir.path()}) {
            m_window->loadDatabase(folder);
            Q_EMIT m_window->menu(QStringLiteral("mnuTools"))->aboutToShow();
            QCOMPARE(m_window->action(QStringLiteral("mnuSearch"))->isEnabled(),
                     folder == m_dir.path());
        }
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
        QCOMPARE(CatalogueTree::tagOf(games), QStringLiteral("FOLDER"));
        QCOMPARE(node(QStringLiteral("Holidays\\Photos\\Games\\Saves\\"))->parent(), games);
        QCOMPARE(m_window->statusText(2), QString());

        // A second expansion reads nothing, even when the tree file has changed.
        test::writeFile(m_dir.filePath(QStringLiteral("Holidays/Photos.t")), ":\\New\r\n");
        photos->setExpanded(false);
        photos->setExpanded(true);
        QCOMPARE(photos->childCount(), 2);
    }

    // A click on a node's expand button opens it without choosing it.
    void expandButtonOpensWithoutChoosing()
    {
        QTreeWidgetItem* photos = node(QStringLiteral("Holidays\\Photos\\"));
        const QString before = m_window->location();
        const QRect row = tree()->visualItemRect(photos);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - tree()->indentation() / 2, row.center().y()));
        QVERIFY(photos->isExpanded());
        QCOMPARE(m_window->location(), before);
    }

    void clickingNodesListsThem_data()
    {
        // rows: the names shown, joined by ","; down: the location after the Down key.
        for (const char* column : {"key", "rows", "location", "status", "down"})
            QTest::addColumn<QString>(column);
        test::addTextRows({
            "unread disk "
            "root|Holidays\\Photos\\|Games,Music,readme.txt,setup.exe|Holidays\\Photos\\|"
            "1,206KB in 4 items. (Disk free space: 1234.56MB)|Holidays\\Videos\\",
            "loose disk|.\\Loose\\|a.txt|\\Loose\\| 10 bytes in 1 items. (Disk free space: "
            "1234.56MB)|\\Loose\\", // below it a catalogue, which lists nothing
            "folders only|Holidays\\Videos\\|Clips|Holidays\\Videos\\|"
            " 1 items. Disk free space: 1234.56MB (Files not catalogued)|Holidays\\Videos\\",
        });
    }

    void clickingNodesListsThem()
    {
        auto [key, rows, location, status, down] =
            test::fetch<QString, QString, QString, QString, QString>("key", "rows", "location",
                                                                     "status", "down");
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, centerOf(node(key)));
        QStringList shown;
        for (int row = 0; row < m_window->list()->rowCount(); ++row) {
            shown << m_window->list()->listModel()->text(row, 0);
            QVERIFY(m_window->list()->rowKey(row).startsWith(key));
        }
        QCOMPARE(shown.join(u','), rows);
        QCOMPARE(m_window->location(), location);
        QCOMPARE(m_window->statusText(2), status);
        // An arrow key chooses the node it moves to, as a click does.
        QTest::keyClick(tree(), Qt::Key_Down);
        QCOMPARE(m_window->location(), down);
    }

    // Dragging the bar between the panes widens one and narrows the other; a drag that would
    // squeeze a pane below its least width leaves both as they were.
    void dragTheBar()
    {
        auto* bar = m_window->findChild<QWidget*>(QStringLiteral("DragBar"));
        QVERIFY(bar);
        const auto drag = [bar](int dx) {
            QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(0, 5));
            QTest::mouseMove(bar, QPoint(dx, 5));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(dx, 5));
        };
        const int treeWidth = tree()->width();
        const int barLeft = bar->x();
        drag(30);
        QVERIFY(qAbs(tree()->width() - treeWidth - 30) <= 1);
        QVERIFY(qAbs(bar->x() - barLeft - 30) <= 1);
        const int widened = tree()->width();
        drag(-treeWidth);
        QCOMPARE(tree()->width(), widened);
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
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        MessageBoxPrompt::setNextInput(QStringLiteral("  Read \"me\" first  "));
        QTest::keyClick(m_window, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(list->listModel()->text(row, 3), QStringLiteral("Read 'me' first"));
        QCOMPARE(test::readFile(m_dir.filePath(QStringLiteral("FileComments.dat"))),
                 QByteArray("\"Holidays\\Photos\\readme.txt\",\"Read 'me' first\"\r\n"));

        // Emptying the box asks first (the comment rules are the core's); Yes clears it.
        MessageBoxPrompt::setNextInput(QStringLiteral("   "));
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Yes);
        m_window->action(QStringLiteral("mnuHFileComment"))->trigger();
        QCOMPARE(list->listModel()->text(row, 3), QString());
        QCOMPARE(test::readFile(m_dir.filePath(QStringLiteral("FileComments.dat"))), QByteArray());
    }

    // A list sorted by comments sorts again when the first row's comment changes.
    void commentOnTheFirstRowResorts()
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          centerOf(node(QStringLiteral("Holidays\\Photos\\"))));
        ui::ListView* list = m_window->list();
        list->columnClick(3);
        const QString first = list->rowKey(0);
        QVERIFY(list->selectKey(first));
        MessageBoxPrompt::setNextInput(QStringLiteral("zz"));
        m_window->action(QStringLiteral("mnuHFileComment"))->trigger();
        QCOMPARE(list->rowKey(list->rowCount() - 1), first);
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

        // The right button on a row shows the same menu; the left one does not.
        const QRect rect = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(!file->isVisible());
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rect.center());
        QVERIFY(file->isVisible());
        file->close();
    }

    void menuEnablingFollowsTheSelection_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("enabled"); // the catalogue items (C), the disk items (D)
        test::addTextRows(
            {"nothing||", "catalogue|Holidays\\|C", "unread disk|Holidays\\Photos\\|D",
             "read disk|Holidays\\Photos\\ read|D", "folder|Holidays\\Photos\\Games\\|"});
    }

    void menuEnablingFollowsTheSelection()
    {
        QFETCH(QString, select);
        QFETCH(QString, enabled);
        const bool catalogueItems = enabled == u"C";
        const bool diskItems = enabled == u"D";
        wireAll();
        node(QStringLiteral("Holidays\\Photos\\"))->setExpanded(select.contains(u'\\'));
        tree()->clearSelection();
        if (!select.isEmpty())
            tree()->selectNode(select.section(u' ', 0, 0));
        for (const char* name : {"mnuCatalogue", "mnuDisk"})
            Q_EMIT m_window->menu(QLatin1String(name))->aboutToShow();
        for (const char* name : {"mnuDeleteCatalogue", "mnuRenameCatalogue"})
            QVERIFY2(m_window->action(QLatin1String(name))->isEnabled() == catalogueItems, name);
        for (const char* name : {"mnuDeleteDisk", "mnuRenameDisk", "mnuDiskInfo", "mnuUpdateDisk",
                                 "mnuMoveDiskToCat", "mnuTextFile"})
            QVERIFY2(m_window->action(QLatin1String(name))->isEnabled() == diskItems, name);
        for (const char* name : {"mnuNewCatalogue", "mnuNewDisk"})
            QVERIFY2(m_window->action(QLatin1String(name))->isEnabled(), name);
    }

    // With a node selected, the button deletes it: see manageCataloguesAndDisksFromTheMenus.
    void deleteButtonWithoutSelection()
    {
        tree()->setCurrentItem(nullptr);
        tree()->clearSelection();
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Ok);
        m_window->action(QStringLiteral("cmdDel"))->trigger();
        QCOMPARE(MessageBoxPrompt::answeredRequests().size(), 1);
        const PromptRequest shown = MessageBoxPrompt::answeredRequests().first();
        QCOMPARE(shown.title + u'|' + shown.text, u"Error|No disk or catalogue selected");
        QCOMPARE(shown.icon, PromptIcon::Critical);
    }

    void diskInformation_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("values"); // folders, files, total, files catalogued
        test::addTextRows(
            {
                "files#Holidays\\Photos\\#3|4|701,234,567 bytes|Files were catalogued for this "
                "disk",
                "folders only#Holidays\\Videos\\#1|N/A|N/A|Files were not catalogued for this disk",
            },
            u'#');
    }

    void diskInformation()
    {
        QFETCH(QString, key);
        QFETCH(QString, values);
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
        QCOMPARE(shown.join(u'|'), values);
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

        // A move unloads the search window, as every command that changes keys does (the
        // core's tests count the calls and check what the chooser offers).
        context.search = new ui::SearchWindow(*m_database, m_window, m_window);
        tree()->selectNode(QStringLiteral("Holidays\\Photos\\"));
        chooseCatalogueLater(QStringLiteral("Work"));
        press(QKeySequence(QStringLiteral("Ctrl+M")));
        QVERIFY(context.search.isNull());
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
    }

    void commandsOpeningTheAddDialog_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("disks");
        QTest::addColumn<QString>("title"); // empty: the limit message instead
        test::addTextRows({"new, 999 disks|mnuNewDisk|999|Catalogue a disk",
                           "new, 1000 disks|mnuNewDisk|1000|",
                           "update|mnuUpdateDisk|3|Update a disk"});
    }

    void commandsOpeningTheAddDialog()
    {
        QFETCH(QString, command);
        QFETCH(QString, disks);
        QFETCH(QString, title);
        installCommands();
        tree()->selectNode(QStringLiteral(".\\Loose\\"));
        while (m_database->disks().count() < disks.toInt())
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
