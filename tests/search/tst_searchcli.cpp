#include "Fixtures.h"
#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::fileLine;
using dovrin::test::folderLine;

// dovrin-cli search prints the rows the window would show, then its end status.
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
                       fileLine("Readme.TXT", 1470716, "#2026-01-31#"),
                       fileLine("Z\xc3\xbcrich.txt", 5), folderLine(":\\Games"),
                       fileLine("my_README_old.doc", 100000)});
        test::writeComments(folder, {{"Holidays\\Photos\\README", "nice"}});
    }

    void rowsThenStatus()
    {
        int exitCode = -1;
        const QByteArray out = run({QStringLiteral("name"), QStringLiteral("readme")}, exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(out, QByteArray("Holidays\\Photos\\README\tREADME\tHolidays\\Photos\\\t100\t"
                                 "01/03/2026 10:15:00\tnice\n"
                                 "Holidays\\Photos\\Readme.TXT\tReadme.TXT\tHolidays\\Photos\\\t"
                                 "1,470,716\t31/01/2026\t\n"
                                 "Holidays\\Photos\\Games\\my_README_old.doc\tmy_README_old.doc\t"
                                 "Holidays\\Photos\\Games\\\t100,000\t01/03/2026 10:15:00\t\n"
                                 " 3 item(s) found,   1,534 KB listed\n"));

        const QByteArray folders = run({QStringLiteral("dir"), QStringLiteral("games")}, exitCode);
        QCOMPARE(folders, QByteArray("Holidays\\Photos\\Games\\\tGames\tHolidays\\Photos\\\t\t\t\n"
                                     " 1 item(s) found.\n"));

        // A name outside ASCII comes out in UTF-8.
        QCOMPARE(run({QStringLiteral("whole"), QStringLiteral("ZÜRICH.TXT")}, exitCode),
                 QByteArray(
                     "Holidays\\Photos\\Z\xc3\xbcrich.txt\tZ\xc3\xbcrich.txt\tHolidays\\Photos\\\t"
                     "5\t01/03/2026 10:15:00\t\n 1 item(s) found,   0 KB listed\n"));
    }

    void noSearchText()
    {
        int exitCode = -1;
        QByteArray errors;
        const QByteArray out = run({QStringLiteral("name"), QString()}, exitCode, &errors);
        QCOMPARE(exitCode, 2);
        QVERIFY(out.isEmpty());
        QCOMPARE(errors, QByteArray("No search text!\n"));

        const QByteArray all = run({QStringLiteral("all")}, exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY(all.endsWith("\n 4 item(s) found.\n"));
    }

private:
    QByteArray run(const QStringList& args, int& exitCode, QByteArray* errors = nullptr);
    QTemporaryDir m_dir;
};

QByteArray TestSearchCli::run(const QStringList& args, int& exitCode, QByteArray* errors)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral(DOVRIN_CLI_BINARY),
        QStringList{QStringLiteral("--database"), m_dir.path(), QStringLiteral("search")} + args);
    if (!process.waitForFinished(30000))
        return {};
    exitCode = process.exitCode();
    if (errors)
        *errors = process.readAllStandardError();
    return process.readAllStandardOutput();
}

QTEST_GUILESS_MAIN(TestSearchCli)
#include "tst_searchcli.moc"
