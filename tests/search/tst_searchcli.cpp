#include "CliRun.h"
#include "Fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::fileLine;
using dovrin::test::folderLine;

// dovrin-cli search prints the rows the window would show, then its end status; the rows
// themselves are the engine suite's.
class TestSearchCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const DatabaseFolder folder(m_dir.path());
        DiskTable disks;
        test::addDisk(folder, disks, QStringLiteral("Holidays\\Photos"), {":\\Games"},
                      {folderLine(":"), fileLine("README", 100),
                       fileLine("Z\xc3\xbcrich.txt", 1470716, "#2026-01-31#"),
                       folderLine(":\\Games")});
        test::writeComments(folder, {{"Holidays\\Photos\\README", "nice"}});
    }

    void rowsThenStatus()
    {
        // A name outside ASCII comes out in UTF-8; a folder row has no size or date.
        const auto files = run({"name", "R"});
        QCOMPARE(files.status, 0);
        QCOMPARE(files.out, QByteArray("Holidays\\Photos\\README\tREADME\tHolidays\\Photos\\\t100\t"
                                       "01/03/2026 10:15:00\tnice\n"
                                       "Holidays\\Photos\\Z\xc3\xbcrich.txt\tZ\xc3\xbcrich.txt\t"
                                       "Holidays\\Photos\\\t1,470,716\t31/01/2026\t\n"
                                       " 2 item(s) found,   1,436 KB listed\n"));
        QCOMPARE(run({"dir", "games"}).out,
                 QByteArray("Holidays\\Photos\\Games\\\tGames\tHolidays\\Photos\\\t\t\t\n"
                            " 1 item(s) found.\n"));
    }

    void noSearchText()
    {
        const auto refused = run({"name", ""});
        QCOMPARE(refused.status, 2);
        QVERIFY(refused.out.isEmpty());
        QCOMPARE(refused.err, QByteArray("No search text!\n"));
        QVERIFY(run({"all"}).out.endsWith("\n 2 item(s) found.\n"));
    }

private:
    test::CliRun run(const QStringList& args)
    {
        return test::runCli(m_dir.path(), QStringList{"search"} + args,
                            QStringLiteral("en_GB.UTF-8"));
    }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSearchCli)
#include "tst_searchcli.moc"
