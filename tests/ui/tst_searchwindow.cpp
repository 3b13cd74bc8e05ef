#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/Startup.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QApplication>
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
    void initTestCase();
    void optionsAndButtons();
    void searchFillsTheList();
    void closeBoxStopsASearch();
    void doubleClickIgnoredWhileSearching();
    void headerClicksSortAndReverse();
    void doubleClickOpensInTheMainWindow_data();
    void doubleClickOpensInTheMainWindow();

private:
    template <typename T> T* child(SearchWindow& window, const char* name)
    {
        return window.findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Database> m_database;
};

void TestSearchWindow::initTestCase()
{
    test::pinLocale();
    const DatabaseFolder folder(m_dir.path());
    DiskTable disks;
    QList<QByteArray> lines{folderLine(":"), fileLine("README", 100),
                            fileLine("Readme.TXT", 1470716), folderLine(":\\Games"),
                            fileLine("my_README_old.doc", 100000)};
    QList<QByteArray> tree{":\\Games"};
    for (int i = 0; i < 50; ++i) {
        tree.append(":\\Games\\Level" + QByteArray::number(i));
        lines.append(folderLine(tree.last()));
        lines.append(fileLine("readme" + QByteArray::number(i), 1));
    }
    test::addDisk(folder, disks, QStringLiteral("Holidays\\Photos"), tree, lines);
    m_database = std::make_unique<Database>(m_prompt);
    m_database->load(folder);
    QCOMPARE(m_database->disks().count(), 1);
}

void TestSearchWindow::optionsAndButtons()
{
    SearchWindow window(*m_database, nullptr);
    auto* text = child<QLineEdit>(window, "Searchtext");
    QVERIFY(child<QRadioButton>(window, "OptNam")->isChecked());
    QVERIFY(child<QPushButton>(window, "cmdSearch")->isDefault());
    QVERIFY(!child<QPushButton>(window, "cmdStop")->isEnabled());
    child<QRadioButton>(window, "optTheLot")->click();
    QVERIFY(!text->isEnabled());
    child<QRadioButton>(window, "optDir")->click();
    QVERIFY(text->isEnabled());
}

void TestSearchWindow::searchFillsTheList()
{
    SearchWindow window(*m_database, nullptr);
    auto* text = child<QLineEdit>(window, "Searchtext");
    child<QPushButton>(window, "cmdSearch")->click();
    QCOMPARE(window.statusText(), QStringLiteral("No search text!"));

    child<QRadioButton>(window, "optWhole")->click();
    text->setText(QStringLiteral("readme"));
    child<QPushButton>(window, "cmdSearch")->click();
    QCOMPARE(text->text(), QStringLiteral("README"));
    QCOMPARE(window.results()->rowCount(), 1);
    QCOMPARE(window.statusText(), QStringLiteral(" 1 item(s) found,   0 KB listed"));
    QVERIFY(child<QPushButton>(window, "cmdClose")->isEnabled());
    QVERIFY(!child<QPushButton>(window, "cmdStop")->isEnabled());
}

void TestSearchWindow::closeBoxStopsASearch()
{
    SearchWindow window(*m_database, nullptr);
    window.show();
    child<QLineEdit>(window, "Searchtext")->setText(QStringLiteral("readme"));
    QTimer::singleShot(0, &window, [&] { window.close(); });
    window.search();
    QVERIFY(window.isVisible());
    QVERIFY(window.statusText().startsWith(QLatin1String("Aborted.")));
    QVERIFY(window.results()->rowCount() < 53);
    QVERIFY(child<QPushButton>(window, "cmdSearch")->isEnabled());
}

void TestSearchWindow::doubleClickIgnoredWhileSearching()
{
    SearchWindow window(*m_database, nullptr);
    window.show();
    child<QLineEdit>(window, "Searchtext")->setText(QStringLiteral("readme"));
    window.search();
    QVERIFY(window.results()->rowCount() > 0);
    window.setStatusText(QStringLiteral("Searching..."));
    window.openResult(0);
    QVERIFY(window.isVisible());
    window.setStatusText(QString());
    window.openResult(0); // without a main window it only hides
    QVERIFY(!window.isVisible());
}

void TestSearchWindow::headerClicksSortAndReverse()
{
    SearchWindow window(*m_database, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    child<QLineEdit>(window, "Searchtext")->setText(QStringLiteral("readme"));
    window.search();
    auto* model = window.results();
    QCOMPARE(model->rowCount(), 53);
    QHeaderView* header = window.fileList()->horizontalHeader();
    const QPoint size(header->sectionViewportPosition(ui::SearchResultsModel::SizeColumn) + 5,
                      header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    QCOMPARE(model->text(52, 0), QStringLiteral("Readme.TXT"));
    QCOMPARE(model->text(51, 0), QStringLiteral("my_README_old.doc"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    QCOMPARE(model->sortOrder(), Qt::DescendingOrder);
    QCOMPARE(model->text(0, 0), QStringLiteral("Readme.TXT"));
    QCOMPARE(model->text(1, 0), QStringLiteral("my_README_old.doc"));
}

void TestSearchWindow::doubleClickOpensInTheMainWindow_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("selected"); // the list row selected afterwards
    QTest::newRow("file") << u"optWhole"_s << u"song.mp3"_s
                          << u"Holidays\\Photos\\Music\\song.mp3"_s
                          << u"Holidays\\Photos\\Music\\song.mp3"_s;
    QTest::newRow("folder") << u"optDir"_s << u"saves"_s << u"Holidays\\Photos\\Games\\Saves\\"_s
                            << u"Holidays\\Photos\\Games\\Saves\\"_s;
    QTest::newRow("disk") << u"optDiskname"_s << u"videos"_s << u"Holidays\\Videos"_s
                          << QString(); // selects nothing
}

void TestSearchWindow::doubleClickOpensInTheMainWindow()
{
    QFETCH(QString, option);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, selected);
    QTemporaryDir root;
    QTemporaryDir programDir;
    test::writeSampleDatabase(root.path());
    Startup startup(m_prompt, programDir.path() + u'/',
                    programDir.filePath(QStringLiteral("lock")));
    QVERIFY(startup.loadSettings());
    Database database(m_prompt);
    ui::MainWindow main(startup, database, m_prompt);
    main.setShutdown([] {});
    database.setView(&main);
    main.loadDatabase(root.path());
    main.show();

    SearchWindow window(database, &main);
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
    main.close();
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
