#include "CliRun.h"
#include "Fixtures.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Each command with a wrong count of arguments or a bad option: usage on stderr, exit 2,
// nothing printed or written.
// dovrin-cli disks on the sample database: one tab-separated line per loaded disk, the
// loader's messages on stderr, and questions answered No so that nothing is deleted. Then the
// catalogue and disk commands, refusals included, as a script would use them.
class TestCliDisks : public QObject
{
    Q_OBJECT

private Q_SLOTS:

private Q_SLOTS:
    void managesCataloguesAndDisks()
    {
        QTemporaryDir dir;
        dovrin::test::writeSampleDatabase(dir.path());
        struct Step
        {
            QStringList args;
            int status;
            const char* says; // on stdout, else on stderr
        };
        const Step steps[] = {
            {{"comment", "Holidays\\Photos\\readme.txt", "kept"}, 0, ""},
            {{"new-catalogue", " Work "}, 0, ""},
            {{"new-catalogue", "Holidays"}, 2, "Unable to create the catalogue"},
            {{"move-disk", "Holidays/Photos", "Work"}, 0, ""},
            {{"move-disk", "Work/Photos", "Work"}, 2, "already in Work"},
            {{"rename-disk", "Holidays/Videos", "Photos"}, 0, ""},
            {{"move-disk", "Work/Photos", "Holidays"}, 2, "already a disk with this name"},
            {{"rename-disk", "Work/Photos", "Photos 2019"}, 0, ""},
            {{"rename-catalogue", "Work", "Trips"}, 0, ""},
            {{"comment", "Trips\\Photos 2019\\readme.txt"}, 0, "kept\n"},
            {{"delete-catalogue", "Trips"}, 2, "Cannot delete this catalogue"},
            {{"delete-disk", "Trips/Photos 2019"},
             2,
             "Delete?: Are you sure you want to delete the disk: Trips\\Photos 2019?"},
            {{"delete-disk", "Trips/Photos 2019", "--yes"}, 0, ""},
            {{"comments"}, 0, ""},
            {{"delete-catalogue", "Trips"}, 0, ""},
            {{"delete-disk", "Nowhere/Photos", "--yes"}, 2, "there is no disk"},
            {{"catalogues"}, 0, "Empty\n"},
            {{"disks"}, 0, ".\\Loose\t"},
        };
        for (const Step& step : steps) {
            const auto cli = dovrin::test::runCli(dir.path(), step.args);
            QVERIFY2(cli.status == step.status &&
                         (step.status ? cli.err : cli.out).contains(step.says),
                     qPrintable(step.args.join(u' ') + u'\n' + cli.out + cli.err));
        }
        QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        files.removeIf([](const QString& f) { return f.endsWith(QLatin1String(".lock")); });
        QCOMPARE(files, (QStringList{"Empty", "FileComments.dat", "Holidays", "Loose.f", "Loose.i",
                                     "Loose.t"}));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Holidays"))).entryList(QDir::Files),
                 (QStringList{"Photos.f", "Photos.i", "Photos.t"}));
    }

    void listsSample()
    {
        QTemporaryDir dir;
        dovrin::test::copyFixture(QStringLiteral("sampledb"), dir.path());
        const auto cli = dovrin::test::runCli(dir.path(), {QStringLiteral("disks")});
        QCOMPARE(cli.status, 0);
        QStringList lines = QString::fromUtf8(cli.out).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines,
                 (QStringList{
                     ".\\Music\t/media/alice/MUSIC/\t0.50MB\t05/12/2026 09:00:00\t1",
                     ".\\Photos\tD:\\\t1234.56MB\t04/12/2026 21:54:37\t0",
                     "Holidays\\Summer 2019\tE:\\Data\\Old\\\t10.00MB\t15/08/2019 14:30:00\t0",
                     "Holidays\\Winter\t/media/alice/WINTER/\t99.99MB\t01/02/2026 07:05:00\t0"}));
        QVERIFY(cli.err.contains("Disk corrupt!: The disk .\\Broken is corrupt."));
        QVERIFY(cli.err.contains("Incompatible: Disk .\\Old is not in the correct format"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Broken.i"))));
    }

    void refusedArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        const QString usage = QStringLiteral("sage");
        const QStringList rows[] = {
            {"catalogues", "x"},
            {"new-catalogue"},
            {"new-catalogue", "A", "B"},
            {"rename-catalogue", "Holidays"},
            {"delete-catalogue"},
            {"delete-disk"},
            {"rename-disk", "Holidays/Photos"},
            {"move-disk", "Holidays/Photos"},
            {"update-disk"},
            {"catalogue", "/"},
            {"catalogue", "/", "D", "--bogus"},
            {"catalogue", "/", "D", "--catalogue"},
            {"catalogue", "/", "D", "--attributes", "3"},
            {"catalogue", "/", "D", "--attributes"},
            {"comment"},
            {"comment", "K", "T", "X"},
            {"comments", "A", "B"},
            {"search"},
            {"search", "name", "a", "b"},
            {"search", "sideways", "a"},
            {"export", "Loose"},
            {"export", "--all"},
            {"export", "--all", "Loose", "OUT"},
            {"print", "list"},
            {"print", "tree", "--pdf", "OUT/p.pdf"},
            {"print", "list", "Loose", "--pdf", "OUT/p.pdf"},
            {"print", "search", "sideways", "a", "--pdf", "OUT/p.pdf"},
            {"print", "search", "name", "a", "b", "--pdf", "OUT/p.pdf"},
            {"print", "search", "name", "a", "--pdf", "OUT/p.pdf", "--font-size", "8"},
            {"path"},
            {"copy", "K"},
        };
        for (const QStringList& args : rows)
            QTest::newRow(qPrintable(args.join(u' '))) << args << usage;
        QTest::newRow("disks x") << QStringList{"disks", "x"} << "takes no arguments";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "frobnicate";
        QTest::newRow("print search without its text")
            << QStringList{"print", "search", "name", "--pdf", "OUT/p.pdf"} << "No search text!";
        QTest::newRow("print search with an empty text")
            << QStringList{"print", "search", "name", "", "--pdf", "OUT/p.pdf"}
            << "No search text!";
    }

    void refusedArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QTemporaryDir dir;
        dovrin::test::writeSampleDatabase(dir.path());
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries);
        QTemporaryDir out;
        args.replaceInStrings(QStringLiteral("OUT"), out.path());
        const auto cli = dovrin::test::runCli(dir.path(), args);
        QVERIFY2(cli.status == 2 && cli.err.contains(says.toUtf8()), cli.err.constData());
        QCOMPARE(cli.out, QByteArray());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries), before);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCliDisks)
#include "tst_clidisks.moc"
