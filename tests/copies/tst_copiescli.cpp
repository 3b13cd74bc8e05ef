#include "CliRun.h"
#include "DataTable.h"
#include "Fixtures.h"
#include "TestFiles.h"
#include "TextRows.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using test::fileLine;
using test::folderLine;

// dovrin-cli copies, only-on and verify: rows on stdout, the summary on stderr, and the exit
// statuses of refused input, of a disk that is not there and of a disk that differs.
class TestCopiesCli : public QObject
{
    Q_OBJECT

private:
    test::CliRun run(const QStringList& args)
    {
        return test::runCli(m_dir.path() + QStringLiteral("/db"), args,
                            QStringLiteral("en_GB.UTF-8"));
    }
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        const DatabaseFolder folder(m_dir.path() + QStringLiteral("/db/"));
        QDir().mkpath(folder.root());
        DiskTable disks;
        test::addDisk(folder, disks, QStringLiteral(".\\A"), {},
                      {folderLine(":"), fileLine("x.jpg", 5000), fileLine("big.iso", 2000000)});
        test::addDisk(folder, disks, QStringLiteral(".\\B"), {},
                      {folderLine(":"), fileLine("X.JPG", 5000), fileLine("big.iso", 2000000),
                       fileLine("other", 7)});
        // A disk with fingerprints, then one byte of a file changed in place, its time put back.
        const QString source = m_dir.path() + QStringLiteral("/src/");
        const QDateTime modified(QDate(2026, 3, 1), QTime(10, 15));
        test::makeFile(source + QStringLiteral("f.txt"), "hello", modified);
        QCOMPARE(run({"catalogue", source, "C", "--fingerprint"}).status, 0);
        test::makeFile(source + QStringLiteral("f.txt"), "hellp", modified);
    }

    void commands_data()
    {
        // args: joined by " "; lines: stdout, each line up to its second tab, joined by "|";
        // errors: a part of stderr.
        for (const char* column : {"args", "exitCode", "lines", "errors"})
            QTest::addColumn<QString>(column);
        test::addTextRows(
            {
                "copies;copies;0;.\\A\\big.iso\tbig.iso|.\\B\\big.iso\tbig.iso||.\\A\\x.jpg\tx.jpg|"
                ".\\B\\X.JPG\tX.JPG;2 group(s) of copies, 4 file(s), 1,958 KB in extra copies\n",
                "same date;copies --same-date;0;.\\A\\big.iso\tbig.iso|.\\B\\big.iso\tbig.iso||"
                ".\\A\\x.jpg\tx.jpg|.\\B\\X.JPG\tX.JPG;2 group(s)",
                "only-on;only-on ./B;0;.\\B\\other\tother;1 file(s) only on this disk, 0 KB",
                "only-on, minimum size;only-on .\\B --min-size 8;0;;Every file of this disk is "
                "also on "
                "another disk.",
                "verify;verify ./C;3;damaged\t.\\C\\f.txt;0 missing, 0 new",
                "verify, disk not there;verify ./A;1;;Please insert volume 'A' in drive "
                "/media/disk/",
                "bad size;copies --min-size ten;2;;usage:",
                "size missing;copies --min-size;2;;usage:",
                "unknown option;only-on ./A --fast;2;;usage:",
                "two disks;verify ./A ./B;2;;usage:",
                "unknown disk;verify Nowhere;2;;there is no disk Nowhere",
            },
            u';');
    }

    void commands()
    {
        auto [args, exitCode, lines, errors] =
            test::fetch<QString, QString, QString, QString>("args", "exitCode", "lines", "errors");

        const test::CliRun cli = run(args.split(u' '));
        QCOMPARE(cli.status, exitCode.toInt());
        QStringList got;
        for (const QByteArray& line : cli.out.split('\n'))
            got.append(QString::fromUtf8(line).section(u'\t', 0, 1));
        got.removeLast(); // after the last line end
        QCOMPARE(got.join(u'|'), lines);
        QVERIFY2(cli.err.contains(errors.toUtf8()), cli.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCopiesCli)
#include "tst_copiescli.moc"
