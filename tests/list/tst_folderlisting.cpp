#include "DataTable.h"
#include "TestFiles.h"
#include "comments/CommentStore.h"
#include "list/FolderListing.h"
#include "list/SortValues.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

// Each row as "key|tag|size|comment".
static QStringList describe(const FolderListing& listing)
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

class TestFolderListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        test::pinLocale();
        QVERIFY(m_dir.isValid());
        test::copyFixture(QStringLiteral("listing"), m_dir.path());
        m_folder = DatabaseFolder(m_dir.path());
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
        QVERIFY(listing.read(m_folder, key, CommentStore(m_folder).loadIndex()));
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
        QVERIFY(listing.read(m_folder, key, CommentIndex()));
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

private:
    QTemporaryDir m_dir;
    DatabaseFolder m_folder;
};

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
