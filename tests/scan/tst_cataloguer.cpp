#include "CliRun.h"
#include "DataTable.h"
#include "FailingCalls.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "common/FileLock.h"
#include "scan/DiskCataloguer.h"
#include "scan/RecordBackup.h"
#include "store/Database.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

using namespace dovrin;
using namespace dovrin::test;

namespace {

const QString kForbidden =
    QStringLiteral("Disk names cannot contain the following characters: \\ / : * ? \" < > |");

} // namespace

class TestCataloguer : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        pinLocale();
        m_source = m_dir.path() + QStringLiteral("/source/");
        makeFile(m_source + "a/one.txt", "1");
        makeFile(m_source + "b/two.txt", "22");
        makeFile(m_source + "three.txt", "333");
    }

    void init()
    {
        m_db = m_dir.path() +
               QStringLiteral("/db-%1-%2/")
                   .arg(QTest::currentTestFunction(),
                        QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        QDir().mkpath(m_db + "Holidays");
        m_prompt = ScriptedPrompt();
    }

    void checks_data()
    {
        const QString notFound = "Path not found, please reselect a directory to catalogue";
        const QString noName = "You must provide a name for the disk";
        test::table<QString, QString, bool, QString>(
            {"path", "name", "existing", "message"},
            {{"no path", "", "Disk", false, "Please select something to catalogue"},
             {"path checked before name", m_dir.path() + "/nowhere", "", false, notFound},
             {"a file is no folder", m_source + "three.txt", "Disk", false, notFound},
             {"no name", m_source, "", false, noName},
             {"forbidden character", m_source, "Dis?k", false, kForbidden},
             {"no disk chosen", m_source, "", true, noName}});
    }

    void checks()
    {
        auto [path, name, existing, message] =
            test::fetch<QString, QString, bool, QString>("path", "name", "existing", "message");
        Database database(m_prompt);
        database.load(DatabaseFolder(m_db));
        DiskCataloguer cataloguer(database, m_prompt);
        CatalogueInput input{path, existing, name, QStringLiteral("<no catalogue>"), {}, false, 6};
        QVERIFY(!cataloguer.check(input));
        QCOMPARE(m_prompt.texts(), QStringList{message});
        QCOMPARE(m_prompt.requests().first().title, QStringLiteral("Error"));
    }

    void overwriteQuestionDefaultsToNo()
    {
        Database database(m_prompt);
        database.load(DatabaseFolder(m_db));
        DiskCataloguer cataloguer(database, m_prompt);
        CatalogueInput input{m_source.chopped(1), false, "Photos", "Holidays", {}, false, 6};
        const auto plan = cataloguer.check(input);
        QVERIFY(plan);
        QCOMPARE(plan->recordPath, QStringLiteral("Holidays\\Photos"));
        NullProgress progress;
        QCOMPARE(cataloguer.run(*plan, progress), ScanOutcome::Complete);
        QCOMPARE(database.disks().count(), 1);

        QVERIFY(!cataloguer.check(input));
        const PromptRequest& question = m_prompt.requests().last();
        QCOMPARE(question.text,
                 QStringLiteral("There is already a disk with this name. Overwrite?"));
        QCOMPARE(question.defaultAnswer, PromptAnswer::No);
        m_prompt.answer(PromptAnswer::Yes);
        const auto again = cataloguer.check(input);
        QVERIFY(again && again->overwrite && !again->update);
    }

    void updateCancelledRestoresRecord()
    {
        Database database(m_prompt);
        database.load(DatabaseFolder(m_db));
        DiskCataloguer cataloguer(database, m_prompt);
        CatalogueInput input{m_source, false, "Photos", "<no catalogue>", {}, false, 6};
        NullProgress quiet;
        QCOMPARE(cataloguer.run(*cataloguer.check(input), quiet), ScanOutcome::Complete);
        const QByteArray before = recordBytes(m_db + "Photos");

        CatalogueInput update{m_source, true, {}, {}, "\\Photos", true, 6};
        const auto plan = cataloguer.check(update);
        QVERIFY(plan && plan->update);
        QCOMPARE(plan->recordPath, QStringLiteral(".\\Photos"));
        RecordingProgress progress;
        progress.stopAtYield(1);
        bool purged = false;
        cataloguer.purgeStaleComments = [&](const QString&) { purged = true; };
        QCOMPARE(cataloguer.run(*plan, progress), ScanOutcome::Cancelled);
        QCOMPARE(recordBytes(m_db + "Photos"), before);
        QCOMPARE(QDir(m_db).entryList(QDir::Files),
                 (QStringList{"Photos.f", "Photos.i", "Photos.t"}));
        QCOMPARE(database.disks().count(), 1);
        QVERIFY(!purged);
    }

    // Whichever call fails, in the source or in the database, an update ends complete or with
    // the old record back, says why, and leaves no work file or backup behind.
    void updateSurvivesAFailingCall()
    {
        Database database(m_prompt);
        database.load(DatabaseFolder(m_db));
        DiskCataloguer cataloguer(database, m_prompt);
        CatalogueInput input{m_source, false, "Photos", "<no catalogue>", {}, false, 6, true};
        NullProgress quiet;
        QCOMPARE(cataloguer.run(*cataloguer.check(input), quiet), ScanOutcome::Complete);
        const QStringList files = QDir(m_db).entryList({"Photos*"}, QDir::Files);
        const ExpectedRecord expected(m_source.chopped(1));
        forEachFailingCall(m_dir.path(), [&](Fault& fault) {
            const QByteArray before = recordBytes(m_db + "Photos") + readFile(m_db + "Photos.fp");
            m_prompt = ScriptedPrompt();
            database.load(DatabaseFolder(m_db));
            CatalogueInput update{m_source, true, {}, {}, "\\Photos", false, 6, true};
            const auto plan = cataloguer.check(update);
            NullProgress progress;
            const ScanOutcome outcome =
                fault.during([&] { return cataloguer.run(*plan, progress); });
            const QByteArray where = fault.where(m_prompt.texts().join(u'|'));
            const bool told = !m_prompt.requests().isEmpty();
            QVERIFY2(fault.hit() || (outcome == ScanOutcome::Complete && !told), where);
            // A file that cannot be examined for a reason of the disk, not of the file, ends
            // the scan: it is never recorded as one the user may skip.
            QVERIFY2(fault.call() != Call::Stat || outcome != ScanOutcome::Complete || !told,
                     where);
            // A whole record at once; a backup left behind goes at the next start.
            for (const char* suffix : {".i", ".t", ".f"})
                QVERIFY2(QFile::exists(m_db + "Photos" + suffix), where);
            recoverInterruptedScans(DatabaseFolder(m_db));
            QVERIFY2(QDir(m_db).entryList({"Photos*"}, QDir::Files) == files, where);
            if (outcome != ScanOutcome::Complete) {
                QVERIFY2(outcome == ScanOutcome::Failed && told, where);
                QVERIFY2(database.disks().count() == 1, where);
                QVERIFY2(recordBytes(m_db + "Photos") + readFile(m_db + "Photos.fp") == before,
                         where);
            } else if (!told) {
                QVERIFY2(readFile(m_db + "Photos.t") == expected.tree, where);
                QVERIFY2(readFile(m_db + "Photos.f") == expected.list, where);
            }
        });
    }

    void updateCompletes()
    {
        Database database(m_prompt);
        database.load(DatabaseFolder(m_db));
        DiskCataloguer cataloguer(database, m_prompt);
        NullProgress quiet;
        for (const char* name : {"First", "Second"}) {
            CatalogueInput input{m_source, false, name, "<no catalogue>", {}, false, 6};
            QCOMPARE(cataloguer.run(*cataloguer.check(input), quiet), ScanOutcome::Complete);
        }
        QString purgedKey;
        cataloguer.purgeStaleComments = [&](const QString& key) { purgedKey = key; };
        CatalogueInput update{m_source, true, {}, {}, "\\First", true, 6};
        QCOMPARE(cataloguer.run(*cataloguer.check(update), quiet), ScanOutcome::Complete);
        QCOMPARE(purgedKey, QStringLiteral(".\\First\\"));
        QVERIFY(readFile(m_db + "First.f").startsWith("\":\"\r\n\":\\a\"\r\n"));
        QVERIFY(readFile(m_db + "First.i").endsWith(" 1 \r\n"));
        QCOMPARE(QDir(m_db).entryList(QDir::Files).size(), 6); // no backup left
        // The updated disk is re-added at the end of the table.
        QCOMPARE(database.disks().count(), 2);
        QCOMPARE(database.disks().at(2).path, QStringLiteral(".\\First"));
        QCOMPARE(database.disks().at(2).foldersOnly, qint16(1));
        // The free space of the source's file system, which is not full while tests run.
        QVERIFY(database.disks().at(2).freeSpace.chopped(2).toDouble() > 0);
    }

    void recovery_data()
    {
        // Files present before (name=content) and after the recovery.
        const QStringList old{"D.f=old", "D.i=old", "D.t=old"};
        test::table<QStringList, QStringList>(
            {"before", "after"},
            {{"finished, backups left",
              {"D.i=new", "D.t=new", "D.f=new", "D.i.old=old", "D.t.old=old"},
              {"D.f=new", "D.i=new", "D.t=new"}},
             {"killed during the scan",
              {"D.i=new", "D.t.tmp=work", "D.f=new", "D.i.old=old", "D.t.old=old", "D.f.old=old"},
              old},
             {"killed while backing up", {"D.i.old=old", "D.t=old", "D.f=old"}, old},
             {"killed while restoring", {"D.i=old", "D.t.old=old", "D.f.old=old"}, old},
             {"new disk killed", {"D.i=new", "D.t.tmp=work", "D.f=new"}, {}},
             {"scan still running (info locked)",
              {"!D.i=new", "D.t.tmp=work", "D.f=new", "D.i.old=old"},
              {"D.f=new", "D.i=new", "D.i.old=old", "D.t.tmp=work"}},
             {"update still running (backup locked)",
              {"D.i=new", "D.f=new", "!D.i.old=old", "D.f.old=old"},
              {"D.f=new", "D.f.old=old", "D.i=new", "D.i.old=old"}},
             {"untouched", {"D.i=x", "D.t=x", "D.f=x"}, {"D.f=x", "D.i=x", "D.t=x"}}});
    }

    void recovery()
    {
        auto [before, after] = test::fetch<QStringList, QStringList>("before", "after");
        std::list<FileLock> held; // "!" marks a file a running scan holds locked
        for (const QString& spec : before) {
            const QString file = m_db + "Holidays/" + spec.section(u'=', 0, 0).remove(u'!');
            writeFile(file, spec.section(u'=', 1).toUtf8());
            if (spec.startsWith(u'!'))
                QVERIFY(held.emplace_back(file, 0).isLocked());
        }
        recoverInterruptedScans(DatabaseFolder(m_db));
        QStringList state;
        for (const QString& name : QDir(m_db + "Holidays").entryList(QDir::Files, QDir::Name))
            state << name + u'=' + QString::fromUtf8(readFile(m_db + "Holidays/" + name));
        QCOMPARE(state, after);
    }

    // The backups of an update are locked while it runs: a start-up elsewhere leaves them be.
    void backupIsLockedWhileItLives()
    {
        const DatabaseFolder database(m_db);
        for (const char* suffix : {".i", ".t", ".f"})
            writeFile(m_db + "Holidays/D" + suffix, "old");
        {
            RecordBackup backup(database, QStringLiteral("Holidays\\D"));
            QVERIFY(backup.make(nullptr));
            QVERIFY(isBeingScanned(database, QStringLiteral("Holidays\\D")));
        }
        QVERIFY(!isBeingScanned(database, QStringLiteral("Holidays\\D")));
    }

    // What the command line adds: its options, --overwrite, and naming a catalogue that is not
    // there. Wrong counts and bad options are the command-line suite's.
    void killedUpdateRecovers()
    {
        // A tree big enough for the update to be caught in the middle.
        const QString big = m_dir.path() + QStringLiteral("/big/");
        for (int d = 0; d < 300; ++d) {
            const QString folder = big + QStringLiteral("d%1/").arg(d);
            QDir().mkpath(folder);
            for (int f = 0; f < 20; ++f)
                makeFile(folder + QStringLiteral("file%1.txt").arg(f));
        }
        QCOMPARE(cli({"catalogue", big, "Big"}), 0);
        QByteArray before = recordBytes(m_db + "Big");

        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
            QProcess process;
            process.start(QStringLiteral(DOVRIN_CLI_BINARY),
                          {"--database", m_db, "catalogue", m_source, "Big", "--overwrite"});
            QVERIFY(process.waitForStarted());
            // Kill it once the update is under way: the old record is backed up, the new one
            // unfinished.
            while (process.state() != QProcess::NotRunning) {
                if (QFile::exists(m_db + "Big.i.old") && !QFile::exists(m_db + "Big.t")) {
                    ::kill(pid_t(process.processId()), SIGKILL);
                    caught = true;
                    break;
                }
                process.waitForFinished(1);
            }
            process.waitForFinished();
            if (!caught) { // it finished first: put the big record back and try again
                QCOMPARE(cli({"catalogue", big, "Big", "--overwrite"}), 0);
                before = recordBytes(m_db + "Big"); // its free space and date are today's
            }
        }
        if (!caught)
            QSKIP("the update always finished before it could be stopped");
        QCOMPARE(recoverInterruptedScans(DatabaseFolder(m_db), QStringLiteral(".\\")),
                 QStringList{".\\Big"});
        QCOMPARE(recordBytes(m_db + "Big"), before);
        QCOMPARE(QDir(m_db).entryList(QDir::Files).size(), 3);
    }

    void commandLine()
    {
        const QStringList args{"catalogue", m_source,       "Disk", "--catalogue",
                               "Holidays",  "--attributes", "0",    "--folders-only"};
        QByteArray err;
        QCOMPARE(cli(args), 0);
        QVERIFY(readFile(m_db + "Holidays/Disk.i").endsWith(" 1 \r\n"));
        QCOMPARE(cli(args, &err), 2);
        QVERIFY(err.contains("There is already a disk with this name. Overwrite?"));
        QCOMPARE(cli(args + QStringList{"--overwrite"}), 0);
        QCOMPARE(cli({"catalogue", m_source, "Other", "--catalogue", "Nope"}, &err), 2);
        QVERIFY2(err.contains("Nope"), err.constData());
        QCOMPARE(QDir(m_db).entryList(QDir::Files), QStringList());
    }

    void commandLineUnreadable()
    {
        // A folder that cannot be read, and one whose entries cannot be examined. Root reads
        // everything, so then the tool runs as an ordinary user.
        QStringList asUser;
        if (::geteuid() == 0) {
            if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
                QSKIP("setpriv is needed to run as an ordinary user");
            asUser = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
        const QString source = m_dir.path() + QStringLiteral("/guarded/");
        makeFile(source + "closed/inside.txt");
        makeFile(source + "noexec/hidden.txt", "abc");
        makeFile(source + "open/seen.txt", "abcd", QDateTime(QDate(2026, 1, 31), QTime(0, 0)));
        QFile::setPermissions(source + "closed", {});
        QFile::setPermissions(source + "noexec",
                              QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
        for (const QString& folder : {m_dir.path(), source, m_db})
            QFile::setPermissions(folder, QFile::Permissions(0x7777));
        QByteArray err;
        const int status = cli({"catalogue", source, "Guarded"}, &err, asUser);
        QFile::setPermissions(source + "closed", QFile::Permissions(0x7700));
        QFile::setPermissions(source + "noexec", QFile::Permissions(0x7700));
        QCOMPARE(status, 0);
        QVERIFY2(err.contains("Problem: The contents of this object cannot be catalogued:\n" +
                              source.toUtf8() + "closed"),
                 err.constData());
        QVERIFY(err.contains("Unexpected Error: Problem with file: hidden.txt\n"));
        QCOMPARE(readFile(m_db + "Guarded.f"),
                 QByteArray(
                     "\":\"\r\n\":\\closed\"\r\n\":\\noexec\"\r\n\"hidden.txt\",0,#1899-12-30#\r\n"
                     "\":\\open\"\r\n\"seen.txt\",4,#2026-01-31#\r\n"));
    }

private:
    int cli(const QStringList& args, QByteArray* err = nullptr, const QStringList& wrapper = {})
    {
        const CliRun run = runCli(m_db, args, {}, wrapper);
        if (err)
            *err = run.err;
        return run.status;
    }

    QTemporaryDir m_dir;
    QString m_db;
    QString m_source;
    ScriptedPrompt m_prompt;
};

QTEST_GUILESS_MAIN(TestCataloguer)
#include "tst_cataloguer.moc"
