#include "DataTable.h"
#include "Fixtures.h"
#include "MainWindowRig.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"
#include "store/Keys.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace dovrin;
using namespace Qt::StringLiterals;
using dovrin::test::fileLine;
using dovrin::test::folderLine;
using dovrin::ui::SearchWindow;

class TestSearchWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:

private:
    template <typename T> T* child(SearchWindow& window, const char* name)
    {
        return window.findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Database> m_database;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        const DatabaseFolder folder(m_dir.path());
        DiskTable disks;
        QList<QByteArray> lines{folderLine(":"), fileLine("README", 100),
                                fileLine("Readme.TXT", 1470716), folderLine(":\\Games"),
                                fileLine("my_README_old.doc", 100000)};
        test::addDisk(folder, disks, QStringLiteral("Holidays\\Photos"), {":\\Games"}, lines);
        m_database = std::make_unique<Database>(m_prompt);
        m_database->load(folder);
        QCOMPARE(m_database->disks().count(), 1);
    }

    void searchFillsTheList()
    {
        SearchWindow window(*m_database, nullptr);
        QVERIFY(child<QRadioButton>(window, "OptNam")->isChecked()); // part of the name
        auto* text = child<QLineEdit>(window, "Searchtext");
        child<QPushButton>(window, "cmdSearch")->click();
        QCOMPARE(window.statusText(), QStringLiteral("No search text!"));
        // A search for every file needs no text.
        child<QRadioButton>(window, "optTheLot")->click();
        QVERIFY(!text->isEnabled());
        child<QPushButton>(window, "cmdSearch")->click();
        QCOMPARE(window.results()->rowCount(), 3);

        child<QRadioButton>(window, "optWhole")->click();
        QVERIFY(text->isEnabled());
        text->setText(QStringLiteral("readme"));
        child<QPushButton>(window, "cmdSearch")->click();
        QCOMPARE(text->text(), QStringLiteral("README"));
        QCOMPARE(window.results()->rowCount(), 1);
        QCOMPARE(window.statusText(), QStringLiteral(" 1 item(s) found,   0 KB listed"));
        QVERIFY(child<QPushButton>(window, "cmdClose")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "cmdStop")->isEnabled());
    }

    void doubleClickOpensInTheMainWindow_data()
    {
        // selected: the list row selected afterwards ("=" the key, empty: none).
        for (const char* column : {"option", "text", "key", "selected"})
            QTest::addColumn<QString>(column);
        test::addTextRows({"file|optWhole|song.mp3|Holidays\\Photos\\Music\\song.mp3|=",
                           "folder|optDir|saves|Holidays\\Photos\\Games\\Saves\\|=",
                           "disk|optDiskname|videos|Holidays\\Videos|"});
    }

    void doubleClickOpensInTheMainWindow()
    {
        auto [option, text, key, selected] =
            test::fetch<QString, QString, QString, QString>("option", "text", "key", "selected");
        selected.replace(u"="_s, key);
        QTemporaryDir root;
        test::writeSampleDatabase(root.path());
        test::MainWindowRig rig;
        QVERIFY(rig.open(m_prompt, root.path(), false));
        ui::MainWindow& main = *rig.window;
        SearchWindow window(*rig.database, &main);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        child<QRadioButton>(window, option.toLatin1().constData())->click();
        child<QLineEdit>(window, "Searchtext")->setText(text);
        window.search();
        QCOMPARE(window.results()->rowCount(), 1);
        QCOMPARE(window.results()->key(0), key);
        QTableView* list = window.fileList();
        const QPoint at = list->visualRect(window.results()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!window.isVisible());
        QTRY_VERIFY(main.list()->isEnabled()); // after the 300 ms timer
        QCOMPARE(main.list()->currentKey(), selected);
        if (!selected.isEmpty())
            QCOMPARE(main.tree()->selectedKey(), keys::parent(key));
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
