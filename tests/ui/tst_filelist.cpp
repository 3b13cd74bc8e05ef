#include "DataTable.h"
#include "FileIcons.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "comments/CommentStore.h"
#include "common/DisplayFormat.h"
#include "filelist/FileListModel.h"
#include "filelist/ListView.h"
#include "list/FolderListing.h"
#include "list/SortValues.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using namespace dovrin::ui;

namespace {

// Each row as "key|tag|size|comment".
QStringList describe(const FolderListing& listing)
{
    QStringList out;
    for (int i = 0; i < listing.rows().size(); ++i) {
        const ListingRow& row = listing.rows()[i];
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(listing.rowKey(i),
                        row.isFolder ? QStringLiteral("FOLDER") : QStringLiteral("FILE"))
                   .arg(row.size)
                   .arg(row.comment);
    }
    return out;
}

} // namespace

// The folder listings of the fixture database, and the main window's file list over them,
// driven offscreen.
class TestFileList : public QObject
{
    Q_OBJECT

private:
    static QStringList column(const ListView& view, int column);

    QTemporaryDir m_dir;
    ListView* m_view = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        QVERIFY(m_dir.isValid());
        test::copyFixture(QStringLiteral("listing"), m_dir.path());
    }

    void init()
    {
        m_view = new ListView;
        m_view->setDatabaseFolder(DatabaseFolder(m_dir.path()));
        m_view->fileListModel()->setDisplayLocale(QLocale());
        m_tester = new QAbstractItemModelTester(
            m_view->fileListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_view->resize(600, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }

    void cleanup()
    {
        delete m_tester;
        delete m_view;
    }

    void fillShowsRowsAndTexts()
    {
        QSignalSpy summaries(m_view, &ListView::summaryTextChanged);
        QSignalSpy locations(m_view, &ListView::locationTextChanged);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));

        QCOMPARE(m_view->rowCount(), 5);
        // The size column's caption, aligned right like its numbers.
        const QAbstractItemModel* model = m_view->model();
        QCOMPARE(model->headerData(FileListModel::SizeColumn, Qt::Horizontal).toString(), u"Size");
        QCOMPARE(model->headerData(FileListModel::SizeColumn, Qt::Horizontal, Qt::TextAlignmentRole)
                     .value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(column(*m_view, FileListModel::SizeColumn),
                 QStringList({"", "", "100", "200", "0"}));
        // The date alone at midnight.
        QCOMPARE(column(*m_view, FileListModel::ModifiedColumn),
                 QStringList({"", "", "01/03/2026 10:15:00", "31/01/2026", "01/02/2026 08:00:00"}));

        QCOMPARE(summaries.size(), 2);
        QCOMPARE(summaries[0][0].toString(), QStringLiteral("Please wait..."));
        QCOMPARE(locations.last()[0].toString(), QStringLiteral("Holidays\\Photos\\"));

        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        QCOMPARE(column(*m_view, FileListModel::SizeColumn), QStringList({"", "", "2,048"}));
        QVERIFY(m_view->fillFileList(QStringLiteral(".\\Folders\\")));
        QCOMPARE(m_view->locationText(), QStringLiteral("\\Folders\\"));
    }

    void headerClicks_data()
    {
        // clicks: column indexes, "-" unsorts; expected: the checked column's texts; sorted: "s".
        for (const char* column : {"clicks", "checkedColumn", "expected", "sorted"})
            QTest::addColumn<QString>(column);
        // Root rows in record order: Games\, Music\, readme.txt (100), b.TXT (200), empty.dat (0).
        test::addTextRows(
            {
                "size;1;1;,,,100,200;",
                "size twice descends;11;1;200,100,,,;",
                "size twice, then name ascends;110;0;b.TXT,empty.dat,Games,Music,readme.txt;s",
                "name twice descends;00;0;readme.txt,Music,Games,empty.dat,b.TXT;s",
                "modified: folders as the zero date;2;0;Games,Music,b.TXT,empty.dat,readme.txt;",
                "unsort after sorts;10-;0;Games,Music,readme.txt,b.TXT,empty.dat;",
            },
            u';');
    }

    void headerClicks()
    {
        auto [clicks, checkedColumn, expected, sorted] =
            test::fetch<QString, QString, QString, QString>("clicks", "checkedColumn", "expected",
                                                            "sorted");

        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        for (QChar click : clicks) {
            if (click == u'-')
                m_view->unsort();
            else
                m_view->columnClick(click.digitValue());
        }
        QStringList got = column(*m_view, checkedColumn.toInt());
        // Folder rows and the empty file tie at 0: their order among themselves is open.
        if (checkedColumn.toInt() == FileListModel::SizeColumn)
            got.replaceInStrings(QRegularExpression(QStringLiteral("^0$")), QString());
        QCOMPARE(got.join(u','), expected);
        QCOMPARE(m_view->fileListModel()->isSorted(), sorted == u"s");
    }

    void textSortKeepsLaterFillsSorted()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        m_view->columnClick(FileListModel::NameColumn);
        m_view->columnClick(FileListModel::NameColumn);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QCOMPARE(column(*m_view, 0),
                 QStringList({"readme.txt", "Music", "Games", "empty.dat", "b.TXT"}));

        // A value sort reorders once: the next folder shows in record order.
        m_view->columnClick(FileListModel::SizeColumn);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        QCOMPARE(column(*m_view, 0), QStringList({"Old", "Saves", "game.exe"}));
    }

    void selectionFollowsItsRow()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QVERIFY(m_view->selectKey(QStringLiteral("Holidays\\Photos\\b.TXT")));
        QCOMPARE(m_view->currentKey(), QStringLiteral("Holidays\\Photos\\b.TXT"));
        QVERIFY(!m_view->selectKey(QStringLiteral("Holidays\\Photos\\missing.txt")));
        QVERIFY(!m_view->selectKey(QStringLiteral("Holidays\\Videos\\b.TXT"))); // another folder

        // The selection follows its row through a sort.
        m_view->columnClick(FileListModel::SizeColumn);
        QCOMPARE(m_view->currentKey(), QStringLiteral("Holidays\\Photos\\b.TXT"));
    }

    void rows_data()
    {
        const QStringList none;
        test::table<QString, QStringList>(
            {"key", "rows"},
            {{"disk root: direct sub-folders, then files in record order",
              "Holidays\\Photos\\",
              {"Holidays\\Photos\\Games\\|FOLDER|0|Game folder",
               "Holidays\\Photos\\Music\\|FOLDER|0|",
               "Holidays\\Photos\\readme.txt|FILE|100|Read me first",
               "Holidays\\Photos\\b.TXT|FILE|200|", "Holidays\\Photos\\empty.dat|FILE|0|"}},
             {"folder: a duplicate name is listed once",
              "Holidays\\Photos\\Games\\",
              {"Holidays\\Photos\\Games\\Old\\|FOLDER|0|",
               "Holidays\\Photos\\Games\\Saves\\|FOLDER|0|",
               "Holidays\\Photos\\Games\\game.exe|FILE|2048|Elsewhere"}},
             {"nested folder after another folder's block",
              "Holidays\\Photos\\Games\\Saves\\",
              {"Holidays\\Photos\\Games\\Saves\\save1.dat|FILE|10|"}},
             {"folder whose block is missing", "Holidays\\Photos\\Games\\Old\\", none},
             {"folders-only disk", ".\\Folders\\", {".\\Folders\\Docs\\|FOLDER|0|"}},
             {"disk without record files", "Holidays\\Gone\\", none}});
    }

    void rows()
    {
        auto [key, rows] = test::fetch<QString, QStringList>("key", "rows");
        FolderListing listing;
        const DatabaseFolder folder(m_dir.path());
        QVERIFY(listing.read(folder, key, CommentStore(folder).loadIndex()));
        QCOMPARE(listing.key(), key);
        QCOMPARE(describe(listing), rows);
    }

    void summary_data()
    {
        test::table<QString, QString>(
            {"key", "summary"},
            {{"bytes", "Holidays\\Photos\\", " 300 bytes in 5 items. (Disk free space: 1234.56MB)"},
             {"kilobytes, folders counted", "Holidays\\Photos\\Games\\",
              "2KB in 3 items. (Disk free space: 1234.56MB)"},
             {"nothing", "Holidays\\Photos\\Music\\", " 0 items. Disk free space: 1234.56MB"},
             {"files not catalogued", ".\\Folders\\",
              " 1 items. Disk free space: 5.00MB (Files not catalogued)"}});
    }

    void summary()
    {
        auto [key, summary] = test::fetch<QString, QString>("key", "summary");
        FolderListing listing;
        QVERIFY(listing.read(DatabaseFolder(m_dir.path()), key, CommentIndex()));
        QCOMPARE(listing.summaryText(), summary);
    }

    void numberOfText_data()
    {
        test::table<QString, double>(
            {"text", "value"}, {{"empty", "", 0.0},
                                {"separators", "12,345,678", 12345678.0},
                                {"not a number", "abc", 0.0},
                                {"only 31 characters count", "1111111111111111111111111111111999",
                                 1111111111111111111111111111111.0}});
    }

    void numberOfText()
    {
        auto [text, value] = test::fetch<QString, double>("text", "value");
        QCOMPARE(sortvalues::numberOfText(text), value);
    }

    void dateOfText_data()
    {
        const QDate zero(1899, 12, 30);
        const QDateTime never(QDate(4501, 1, 1), QTime(0, 0));
        test::table<QString, QDateTime>(
            {"text", "value"},
            {{"empty", "", QDateTime(zero, QTime(0, 0))},
             {"date and time", "01/03/2026 10:15:00", QDateTime(QDate(2026, 3, 1), QTime(10, 15))},
             {"date alone", "31/01/2026", QDateTime(QDate(2026, 1, 31), QTime(0, 0))},
             {"time alone", "10:15:30", QDateTime(zero, QTime(10, 15, 30))},
             {"impossible date", "31/02/2026", never}});
    }

    void dateOfText()
    {
        auto [text, value] = test::fetch<QString, QDateTime>("text", "value");
        const RecordDateTime date = sortvalues::dateOfText(text);
        QCOMPARE(QDateTime(date.date(), date.time()), value);
    }

    // Shown times leave out the zone: "t" goes, a quoted "t" stays.
    void timeWithoutZone_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        test::addTextRows({"zone last|HH:mm:ss t|HH:mm:ss", "zone first|t h:mm AP|h:mm AP",
                           "quoted letters|HH 'h' mm 'at' ss t|HH 'h' mm 'at' ss"});
    }

    void timeWithoutZone()
    {
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(withoutTimeZone(format), shown);
    }

    void extensionKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        test::addTextRows({"last dot|a.tar.gz|.GZ", "no dot|Makefile|",
                           "hidden file|.bashrc|.BASHRC", "trailing dot|odd.|."});
    }

    void extensionKey()
    {
        auto [name, key] = test::fetch<QString, QString>("name", "key");
        QCOMPARE(platform::extensionKey(name), key);
    }
};

QStringList TestFileList::column(const ListView& view, int column)
{
    QStringList out;
    for (int row = 0; row < view.rowCount(); ++row)
        out << view.fileListModel()->text(row, column);
    return out;
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
