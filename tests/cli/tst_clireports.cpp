#include "CliRun.h"
#include "DataTable.h"
#include "PdfText.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace dovrin;

// dovrin-cli export, print and search on the reports fixture: the same listings as the window
// writes (compared with the expected files, all but the "Generated" line), PDF printouts, and
// search rows.
class TestCliReports : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_db;

    static QByteArray withoutGeneratedLine(QByteArray listing)
    {
        QList<QByteArray> lines = listing.split('\n');
        if (lines.size() > 1)
            lines.removeAt(1);
        return lines.join('\n');
    }

private Q_SLOTS:
    void initTestCase() { test::copyFixture(u"reports/db"_s, m_db.path()); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("args"); // OUT stands for the output folder
        QTest::addColumn<QString>("existing"); // a listing already in OUT
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("listings"); // written, as expected
        QTest::addColumn<QString>("printed");      // a text of OUT/p.pdf
        QTest::addColumn<QString>("error");        // a text of stderr
        const struct
        {
            const char *tag, *args, *existing;
            int status;
            const char *listings, *printed, *error;
        } rows[] = {
            {"existing listing kept", "export .\\Photos OUT", "Photos.txt", 2, "", "",
             "File already present!: Overwrite "},
            {"export all keeps one, writes the others", "export --all OUT", "Photos.txt", 0,
             "Folders.txt Holidays-Photos.txt", "", "File already present!"},
            {"overwrite", "export --overwrite .\\Photos OUT", "Photos.txt", 0, "Photos.txt", "",
             ""},
            {"unknown disk", "export Photos OUT", "", 2, "", "", "there is no disk Photos"},
            {"print a tree, disk named with /",
             "print tree Holidays/Photos --font-size 8 --pdf OUT/p.pdf", "", 0, "",
             "Holidays\\Photos:\\Games\\Saves", ""},
            {"print search", "print search name me --pdf OUT/p.pdf", "", 0, "",
             "Search results for: ME in part of file names", ""},
            {"font size not offered", "print list --font-size 13 --pdf OUT/p.pdf", "", 2, "", "",
             "font size"},
            {"print contents", "print contents Holidays/Photos --pdf OUT/p.pdf", "", 0, "",
             "Disk: Holidays\\Photos", ""},
            {"contents of a folders-only disk", "print contents .\\Folders --pdf OUT/p.pdf", "", 2,
             "", "", "folders only"},
            {"unwritable pdf", "print list --pdf OUT/gone/p.pdf", "", 1, "", "",
             "Printing aborted due to unknown error"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.tag)
                << QString::fromUtf8(row.args).split(u' ') << row.existing << row.status
                << QString::fromUtf8(row.listings).split(u' ', Qt::SkipEmptyParts) << row.printed
                << row.error;
    }

    void commands()
    {
        auto [args, existing, status, listings, printed, error] =
            test::fetch<QStringList, QString, int, QStringList, QString, QString>(
                "args", "existing", "status", "listings", "printed", "error");
        QTemporaryDir out;
        if (!existing.isEmpty())
            test::writeFile(out.filePath(existing), "mine");
        args.replaceInStrings(u"OUT"_s, out.path());

        const auto cli = test::runCli(m_db.path(), args, u"en_GB.UTF-8"_s);
        QVERIFY2(cli.status == status && cli.err.contains(error.toUtf8()), cli.err.constData());
        for (const QString& name : listings) {
            const QByteArray wanted =
                test::readFile(QStringLiteral(DOVRIN_TEST_DATA) + u"/reports/listings/"_s + name);
            QCOMPARE(withoutGeneratedLine(test::readFile(out.filePath(name))),
                     withoutGeneratedLine(wanted));
        }
        if (!existing.isEmpty() && !listings.contains(existing))
            QCOMPARE(test::readFile(out.filePath(existing)), QByteArray("mine"));
        const QString pdf = out.filePath(u"p.pdf"_s);
        QCOMPARE(QFile::exists(pdf), !printed.isEmpty());
        if (!printed.isEmpty()) {
            QStringList words;
            for (const test::PdfWord& word : test::pdfWords(pdf))
                words << word.text;
            QVERIFY2(words.join(u' ').contains(printed), qPrintable(words.join(u' ')));
        }
    }

    // search prints the rows the window would show, then its end status; the rows themselves
    // are the engine suite's. A name outside ASCII comes out in UTF-8; a folder row has no size
    // or date.
    void search()
    {
        auto run = [this](const QStringList& args) {
            return test::runCli(m_db.path(), QStringList{"search"} + args, u"en_GB.UTF-8"_s);
        };
        const auto files = run({"name", u"café"_s});
        QCOMPARE(files.status, 0);
        QCOMPARE(files.out, QByteArray("Holidays\\Photos\\caf\xc3\xa9.jpg\tcaf\xc3\xa9.jpg\t"
                                       "Holidays\\Photos\\\t2,048\t14/07/2024 12:00:00\t"
                                       "Caf\xc3\xa9 au lait\n 1 item(s) found,   2 KB listed\n"));
        QCOMPARE(
            run({"dir", "games"}).out,
            QByteArray("Holidays\\Photos\\Games\\\tGames\tHolidays\\Photos\\\t\t\tGame folder\n"
                       " 1 item(s) found.\n"));
        const auto refused = run({"name", ""});
        QCOMPARE(refused.status, 2);
        QVERIFY(refused.out.isEmpty());
        QCOMPARE(refused.err, QByteArray("No search text!\n"));
        QVERIFY(run({"all"}).out.endsWith("\n 9 item(s) found.\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliReports)
#include "tst_clireports.moc"
