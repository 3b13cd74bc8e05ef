#include "DataTable.h"
#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "store/Database.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        test::pinLocale();
        QStandardPaths::setTestModeEnabled(true);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_program = m_dir->path() + QStringLiteral("/program/");
        QDir().mkpath(m_program);
    }

    void firstStart()
    {
        ScriptedPrompt prompt;
        Startup startup(prompt, m_program, lockPath());
        QVERIFY(startup.claimSingleInstance());
        QVERIFY(startup.loadSettings());
        QCOMPARE(test::readFile(m_program + QStringLiteral("Dovrin.cfg")),
                 ConfigFile::bytes(Settings()));
        QCOMPARE(startup.settings(), Settings());

        Database database(prompt);
        startup.loadDatabase(database);
        QCOMPARE(database.folder().root(), m_program);
        QVERIFY(prompt.requests().isEmpty());
    }

    // The fingerprint choice lives in a file of its own, made only once the choice is on.
    void fingerprintChoiceKept()
    {
        ScriptedPrompt prompt;
        const QString more = m_program + QStringLiteral("Dovrin.ini");
        bool made = false;
        for (const bool on : {false, true, false}) {
            Startup startup(prompt, m_program, lockPath());
            QVERIFY(startup.loadSettings());
            startup.settings().fingerprint = on;
            QVERIFY(startup.saveSettings());
            made = made || on;
            QCOMPARE(QFile::exists(more), made);
            Startup next(prompt, m_program, lockPath());
            QVERIFY(next.loadSettings());
            QCOMPARE(next.settings().fingerprint, on);
        }
    }

    void secondCopyRefused()
    {
        ScriptedPrompt prompt;
        Startup first(prompt, m_program, lockPath());
        QVERIFY(first.claimSingleInstance());
        {
            Startup second(prompt, m_program, lockPath());
            QVERIFY(!second.claimSingleInstance());
            QCOMPARE(prompt.titles(), QStringList{"Error"});
            QCOMPARE(prompt.texts(), QStringList{"Dovrin is already running."});
        }
    }

    void databasePath_data()
    {
        // "<tmp>" stands for the temporary folder
        // relative to the temporary folder
        test::table<QString, QString, QStringList>(
            {"databasePath", "loaded", "messages"},
            {
                {"empty", "", "program/", QStringList{}},
                {"absolute", "<tmp>/db", "db/", QStringList{}},
                {"relative to the program folder", "local", "program/local/", QStringList{}},
                {"gone", "<tmp>/gone/", "program/",
                 QStringList{"Database path not found. Using application path."}},
                {"a file", "<tmp>/db/Disk.i", "program/",
                 QStringList{"Database path not found. Using application path."}},
            });
    }

    void databasePath()
    {
        auto [databasePath, loaded, messages] =
            test::fetch<QString, QString, QStringList>("databasePath", "loaded", "messages");
        test::writeRecord(m_dir->path() + QStringLiteral("/db/Disk"), test::infoBytes());
        QDir().mkpath(m_program + QStringLiteral("local"));
        writeConfig(databasePath.replace(QStringLiteral("<tmp>"), m_dir->path()));

        ScriptedPrompt prompt;
        Startup startup(prompt, m_program, lockPath());
        QVERIFY(startup.loadSettings());
        Database database(prompt);
        startup.loadDatabase(database);
        QCOMPARE(database.folder().root(), m_dir->path() + u'/' + loaded);
        QCOMPARE(prompt.texts(), messages);
        if (!messages.isEmpty())
            QCOMPARE(prompt.titles(), QStringList{"Path not found"});
    }

    void loadDefaultFailureKeepsDatabase()
    {
        test::writeRecord(m_dir->path() + QStringLiteral("/db/Disk"), test::infoBytes());
        test::writeRecord(m_dir->path() + QStringLiteral("/other/Other"), test::infoBytes());
        writeConfig(m_dir->path() + QStringLiteral("/db/"));

        ScriptedPrompt prompt;
        Startup startup(prompt, m_program, lockPath());
        QVERIFY(startup.loadSettings());
        Database database(prompt);
        startup.loadDatabase(database);
        QVERIFY(startup.loadChosenDatabase(database, m_dir->path() + QStringLiteral("/other")));
        QVERIFY(startup.loadDefaultDatabase(database));
        QCOMPARE(database.disks().at(1).path, QStringLiteral(".\\Disk"));
    }

    void programFolderChoice() { QCOMPARE(programFolderFor(m_program.chopped(1)), m_program); }

private:
    // A program folder holding one disk, with DatabasePath set to `databasePath`.
    void writeConfig(const QString& databasePath);
    QString lockPath() const { return m_dir->path() + QStringLiteral("/dovrin.lock"); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
};

void TestStartup::writeConfig(const QString& databasePath)
{
    Settings settings;
    settings.databasePath = databasePath;
    test::writeFile(m_program + QStringLiteral("Dovrin.cfg"), ConfigFile::bytes(settings));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
