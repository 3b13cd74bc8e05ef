#include "CliRun.h"
#include "DataTable.h"
#include "Fixtures.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The catalogue, disk and comment commands, refusals included, as a script would use them
// (questions are answered No, so nothing is deleted); and each command with a wrong count of
// arguments or a bad option: usage on stderr, exit 2, nothing printed or written.
class TestCliDisks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void managesCataloguesAndDisks()
    {
        QTemporaryDir dir;
        dovrin::test::writeSampleDatabase(dir.path());
        dovrin::test::writeFile(dir.filePath(QStringLiteral("Hidden/.keep")), {});
        struct Step
        {
            QStringList args;
            int status;
            const char* says; // on stdout, else on stderr
        };
        const Step steps[] = {
            {{"comment", "Holidays\\Photos\\readme.txt", "kept"}, 0, ""},
            {{"new-catalogue", " Work "}, 0, ""},
            {{"move-disk", "Holidays/Photos", "Work"}, 0, ""},
            {{"move-disk", "Work/Photos", "Work"}, 2, "already in Work"},
            {{"move-disk", "./Loose", "."}, 2, "already in ."},
            {{"move-disk", "./Loose", "Nope"}, 2, "there is no catalogue Nope"},
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
            {{"delete-catalogue", "Hidden"}, 1, "failure deleting the catalogue directory"},
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
        QCOMPARE(files, (QStringList{"Empty", "FileComments.dat", "Hidden", "Holidays", "Loose.f",
                                     "Loose.i", "Loose.t"}));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Holidays"))).entryList(QDir::Files),
                 (QStringList{"Photos.f", "Photos.i", "Photos.t"}));
    }

    // The comment commands' arguments and output; what a comment becomes is the store suite's.
    void comments()
    {
        QTemporaryDir dir;
        auto cli = [&](const QStringList& args) { return dovrin::test::runCli(dir.path(), args); };
        for (const char* key : {"H\\D\\a.txt", "H\\D\\b.txt", "H\\E\\c.txt"}) // set trimmed
            QCOMPARE(cli({"comment", key, QStringLiteral("  on %1 ").arg(key)}).status, 0);
        QCOMPARE(cli({"comment", "H\\D\\a.txt"}).out, QByteArray("on H\\D\\a.txt\n"));
        QCOMPARE(cli({"comments", "H\\D\\"}).out,
                 QByteArray("H\\D\\a.txt\ton H\\D\\a.txt\nH\\D\\b.txt\ton H\\D\\b.txt\n"));
        const auto cleared = cli({"comment", "H\\D\\a.txt", ""});
        QCOMPARE(cleared.status, 0);
        QVERIFY(cleared.err.isEmpty()); // no question asked
        QCOMPARE(cli({"comments"}).out,
                 QByteArray("H\\D\\b.txt\ton H\\D\\b.txt\nH\\E\\c.txt\ton H\\E\\c.txt\n"));
    }

    // A --database folder that cannot be used ends the tool before any command runs.
    void unusableDatabaseFolder()
    {
        QTemporaryDir dir;
        const auto cli = dovrin::test::runCli(dir.path() + QStringLiteral("/none"), {"disks"});
        QCOMPARE(cli.status, 1);
        QVERIFY(cli.err.contains("as the database folder"));
        QCOMPARE(cli.out, QByteArray());
    }

    void refusedArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        const QString usage = QStringLiteral("sage");
        const QStringList rows[] = {
            {"catalogues", "x"},
            {"new-catalogue"},
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
            {"comment"},
            {"comments", "A", "B"},
            {"search"},
            {"search", "sideways", "a"},
            {"export", "Loose"},
            {"export", "--all"},
            {"print", "list"},
            {"print", "tree", "--pdf", "OUT/p.pdf"},
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
        QTest::newRow("export to no folder") << QStringList{"export", "Loose", ""} << "cannot use";
        QTest::newRow("print search without its text")
            << QStringList{"print", "search", "name", "--pdf", "OUT/p.pdf"} << "No search text!";
    }

    void refusedArguments()
    {
        auto [args, says] = dovrin::test::fetch<QStringList, QString>("args", "says");
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
