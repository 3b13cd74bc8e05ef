#include "Fixtures.h"
#include "TestFiles.h"

#include <QProcess>
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

private Q_SLOTS:
    void initTestCase();
    void commands_data();
    void commands();

private:
    int run(const QStringList& args, QByteArray& out, QByteArray& errors);
    QTemporaryDir m_dir;
};

void TestCopiesCli::initTestCase()
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
    QByteArray out, errors;
    QCOMPARE(run({"catalogue", source, "C", "--fingerprint"}, out, errors), 0);
    test::makeFile(source + QStringLiteral("f.txt"), "hellp", modified);
}

int TestCopiesCli::run(const QStringList& args, QByteArray& out, QByteArray& errors)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(DOVRIN_CLI_BINARY),
                  QStringList{QStringLiteral("--database"), m_dir.path() + QStringLiteral("/db")} +
                      args);
    if (!process.waitForFinished(30000))
        return -1;
    out = process.readAllStandardOutput();
    errors = process.readAllStandardError();
    return process.exitCode();
}

void TestCopiesCli::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // stdout, each line up to its second tab
    QTest::addColumn<QString>("errors");    // a part of stderr

    QTest::newRow("copies") << QStringList{"copies"} << 0
                            << QStringList{".\\A\\big.iso\tbig.iso", ".\\B\\big.iso\tbig.iso", "",
                                           ".\\A\\x.jpg\tx.jpg", ".\\B\\X.JPG\tX.JPG"}
                            << "2 group(s) of copies, 4 file(s), 1,958 KB in extra copies\n";
    QTest::newRow("only-on") << QStringList{"only-on", "./B"} << 0
                             << QStringList{".\\B\\other\tother"}
                             << "1 file(s) only on this disk, 0 KB";
    QTest::newRow("only-on, minimum size")
        << QStringList{"only-on", ".\\B", "--min-size", "8"} << 0 << QStringList{}
        << "Every file of this disk is also on another disk.";
    QTest::newRow("verify") << QStringList{"verify", "./C"} << 3
                            << QStringList{"damaged\t.\\C\\f.txt"} << "0 missing, 0 new";
    QTest::newRow("verify, disk not there") << QStringList{"verify", "./A"} << 1 << QStringList{}
                                            << "Please insert volume 'A' in drive /media/disk/";
    QTest::newRow("bad size") << QStringList{"copies", "--min-size", "ten"} << 2 << QStringList{}
                              << "usage:";
    QTest::newRow("two criteria") << QStringList{"copies", "--same-date", "--content"} << 2
                                  << QStringList{} << "usage:";
    QTest::newRow("unknown option")
        << QStringList{"only-on", "./A", "--fast"} << 2 << QStringList{} << "usage:";
    QTest::newRow("unknown disk") << QStringList{"verify", "Nowhere"} << 2 << QStringList{}
                                  << "there is no disk Nowhere";
}

void TestCopiesCli::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QFETCH(QString, errors);

    QByteArray out, err;
    QCOMPARE(run(args, out, err), exitCode);
    QStringList got;
    for (const QByteArray& line : out.split('\n'))
        got.append(QString::fromUtf8(line).section(u'\t', 0, 1));
    got.removeLast(); // after the last line end
    QCOMPARE(got, lines);
    QVERIFY2(err.contains(errors.toUtf8()), err.constData());
}

QTEST_GUILESS_MAIN(TestCopiesCli)
#include "tst_copiescli.moc"
