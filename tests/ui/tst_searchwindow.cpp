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

#include <QCollator>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

using namespace dovrin;
using namespace Qt::StringLiterals;
using dovrin::search::SearchRow;
using dovrin::test::fileLine;
using dovrin::test::folderLine;
using dovrin::ui::SearchResultsModel;
using dovrin::ui::SearchWindow;

namespace {

SearchRow fileRow(const QString& name, qint64 size, const QString& comment = {})
{
    SearchRow row;
    row.inFolder = QStringLiteral("Holidays\\Photos\\");
    row.name = name;
    row.key = row.inFolder + name;
    row.size = size;
    row.hasSize = true;
    row.modified = RecordDateTime::fromDateAndTime(QDate(2026, 3, 1), QTime(10, 15));
    row.hasModified = true;
    row.comment = comment;
    return row;
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT

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

    // The results model. The sorts keep the order a list control gives: texts by the locale's
    // collation ignoring case (as QCollator's sort keys order them), equal keys in their present
    // order, on one thread for a short list and on every core for a long one. Keys that are not the
    // folder and the name, with or without "\", are kept whole.
    void keysReadBack()
    {
        const QStringList keys{"Holidays\\Photos\\a.txt", "Elsewhere\\a.txt",
                               "Holidays\\Photos\\a.txt\\", "Other\\x\\a.txt"};
        SearchResultsModel model;
        for (const QString& key : keys) {
            SearchRow row = fileRow(QStringLiteral("a.txt"), 1);
            row.key = key;
            model.addRow(row);
        }
        model.publish();
        QStringList got;
        for (int row = 0; row < model.rowCount(); ++row) {
            got.append(model.key(row));
            QCOMPARE(model.rowOfKey(keys[row]), row);
        }
        QCOMPARE(got, keys);
        for (const char* other : {"Holidays\\Photos\\b.txt", "Holidays\\Photos\\a.tx",
                                  "Holidays\\Photos\\a.txt/", "Holidays\\Photo\\a.txt"})
            QCOMPARE(model.rowOfKey(QString::fromUtf8(other)), -1);
    }

    // Rows that arrive while the list is sorted by a text join it in order, one by one or, past
    // a batch, all at once.
    void rowsArrivingWhileSorted_data()
    {
        test::table<int>({"added"}, {{"one by one", 10}, {"a batch", 100}});
    }

    void rowsArrivingWhileSorted()
    {
        QFETCH(int, added);
        SearchResultsModel model;
        for (int i = 0; i < 5; ++i)
            model.addRow(fileRow(QStringLiteral("f%1").arg(i), i));
        model.publish();
        model.sortByColumn(SearchResultsModel::NameColumn);
        for (int i = added; i > 0; --i) // arriving in reverse order
            model.addRow(fileRow(QStringLiteral("g%1").arg(i, 3, 10, QLatin1Char('0')), i));
        model.publish();
        QCOMPARE(model.rowCount(), 5 + added);
        for (int row = 1; row < model.rowCount(); ++row)
            QVERIFY(model.result(row - 1).name < model.result(row).name);
    }

    void sortsAsBefore_data()
    {
        for (const char* column : {"locale", "columnName", "rowCount"})
            QTest::addColumn<QString>(column);
        test::addTextRows({"names, English|en_GB|name|300", "names, Turkish i|tr_TR|name|300",
                           "names, C locale, long list|C|name|30000",
                           "folders, Swedish, long list|sv_SE|folder|30000",
                           "comments, German|de_DE|comment|300",
                           "sizes, long list|en_GB|size|30000"});
    }

    void sortsAsBefore()
    {
        auto [locale, columnName, rowCount] =
            test::fetch<QString, QString, QString>("locale", "columnName", "rowCount");
        // In the order of SearchResultsModel::Column.
        const int column =
            int(QStringList{"name", "folder", "size", "modified", "comment"}.indexOf(columnName));
        const int rows = rowCount.toInt();
        const QStringList pieces{"a",  "A",  "aa",         "Aa", "å", "ä", "z", "ß",
                                 "ss", "é",  "e\u0301",    "E",  " ", "-", "_", ".",
                                 "1",  "10", "2",          "ı",  "I", "i", "İ", "ch",
                                 "æ",  "ø",  "\U0001F600", "\\", "x"};
        QRandomGenerator random(7);
        auto text = [&] {
            // A third share a prefix longer than the sort's first sixteen key bytes.
            QString out = random.bounded(3) == 0 ? QStringLiteral("Holiday photos ") : QString();
            for (int n = random.bounded(1, 5); n > 0; --n)
                out += pieces[random.bounded(int(pieces.size()))];
            return out;
        };
        SearchResultsModel model;
        model.setDisplayLocale(QLocale(locale));
        QString folder = text();
        for (int i = 0; i < rows; ++i) {
            if (random.bounded(50) == 0)
                folder = text(); // folders come in runs
            SearchRow row = fileRow(text(), random.bounded(1000));
            row.inFolder = folder;
            row.key = folder + row.name;
            row.comment = random.bounded(3) == 0 ? text() : QString();
            model.addRow(row);
        }
        model.publish();

        // The reference: QCollator's keys (or the sizes), a stable sort of the present order.
        QCollator collator{QLocale(locale)};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        struct Cell
        {
            QString text;
            QCollatorSortKey key;
            qint64 size;
        };
        QList<Cell> expected;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString cell = model.text(row, column);
            expected.append({cell, collator.sortKey(cell), model.result(row).size});
        }
        for (const bool ascending : {true, false}) {
            auto less = [&](const Cell& a, const Cell& b) {
                if (column == SearchResultsModel::SizeColumn)
                    return a.size < b.size;
                return a.key.compare(b.key) < 0;
            };
            std::stable_sort(expected.begin(), expected.end(), [&](const Cell& a, const Cell& b) {
                return ascending ? less(a, b) : less(b, a);
            });
            model.sortByColumn(column);
            for (int row = 0; row < model.rowCount(); ++row)
                QCOMPARE(model.text(row, column), expected[row].text);
        }
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
