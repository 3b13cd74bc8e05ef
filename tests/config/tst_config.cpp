#include "DataTable.h"
#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "store/Database.h"

#include <QDir>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

namespace {

const QByteArray kDefaultLines = "800,1000,7500,5400,2900\r\n"
                                 "1709.858,799.9371,1301.102,1440\r\n"
                                 "#FALSE#,#FALSE#,#FALSE#,6\r\n"
                                 "#FALSE#,#FALSE#\r\n"
                                 "\"\"\r\n"
                                 "\"DESKTOP\"\r\n"
                                 "\"\"\r\n"
                                 "\"\",\"\"\r\n";

QByteArray defaultFile()
{
    QByteArray bytes = kDefaultLines;
    return bytes.replace("DESKTOP", defaultDesktopPath().toUtf8());
}

const QString kQuestion = QStringLiteral("The config file is corrupt. Click YES to allow me to "
                                         "regenerate the config file\rIf you click NO, the "
                                         "program will close");

} // namespace

class TestConfig : public QObject
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

    // What the program writes is read back by roundTrip; these are files written elsewhere.
    void writeFailure()
    {
        ScriptedPrompt prompt;
        ConfigFile config(m_dir->path() + QStringLiteral("/no/such/folder/"), prompt);
        Settings settings;
        settings.windowTop = 5;
        QVERIFY(!config.write(settings));
        QCOMPARE(prompt.titles(), QStringList{"Error"});
        QCOMPARE(prompt.texts(), QStringList{"Unable to save config."});
        QCOMPARE(prompt.requests().first().icon, PromptIcon::Critical);
        QCOMPARE(int(settings.windowTop), 5);
    }

    void readsGoodFiles_data()
    {
        const QByteArray head =
            "1,2,3,4,5\r\n1,2,3,4\r\n#FALSE#,#FALSE#,#FALSE#,6\r\n#FALSE#,#FALSE#\r\n"
            "\"\"\r\n\"\"\r\n";
        test::table<QByteArray, int, double, bool, QString>(
            {"bytes", "windowWidth", "column1", "treeOnly", "databasePath"},
            {{"other line breaks, tail ignored",
              "1\n2\n3,4,5,1709.858,2\r\n3,4,#FALSE#\n#FALSE#,#FALSE#,6,#FALSE#,#FALSE#,\"\","
              "\"/d/\",\"/db/\",\"\",\"\"\r\nanything, at all\r\n",
              3, 1709.858, false, "/db/"},
             {"comma in a quoted path", head + "\"/home/a/Disks, old/\"\r\n\"\",\"\"\r\n", 3, 1.0,
              false, "/home/a/Disks, old/"},
             {"empty fields read as zero", "1,2,,4,5\r\n,2,3,4\r\n,,,6\r\n,\r\n\r\n\r\n\r\n,\r\n",
              0, 0.0, false, ""},
             {"windows-1252 path",
              head + "\"/m\xe9"
                     "dia/\"\r\n\"\",\"\"\r\n",
              3, 1.0, false, QString::fromUtf8("/média/")}});
    }

    void readsGoodFiles()
    {
        auto [bytes, windowWidth, column1, treeOnly, databasePath] =
            test::fetch<QByteArray, int, double, bool, QString>("bytes", "windowWidth", "column1",
                                                                "treeOnly", "databasePath");
        test::writeFile(path(), bytes);

        ScriptedPrompt prompt;
        ConfigFile config(m_dir->path() + u'/', prompt);
        Settings settings;
        QCOMPARE(config.read(settings), ConfigFile::ReadResult::Read);
        QVERIFY(prompt.requests().isEmpty());
        QCOMPARE(int(settings.windowWidth), windowWidth);
        QCOMPARE(settings.columnWidth1, column1);
        QCOMPARE(settings.treeOnly, treeOnly);
        QCOMPARE(settings.databasePath, databasePath);
    }

    void corruptFiles_data()
    {
        const QByteArray good = kDefaultLines;
        test::table<QByteArray>(
            {"bytes"}, {{"-32769", QByteArray(good).replace("800,", "-32769,")},
                        {"seven lines", good.left(good.lastIndexOf("\"\",\"\""))},
                        {"quote in an unquoted path",
                         QByteArray(good).replace("\"DESKTOP\"", "/my \"desk\"/")},
                        {"bad boolean", QByteArray(good).replace("#FALSE#,6", "yes,6")},
                        {"empty", QByteArray()},
                        {"past the read limit, one line", QByteArray(2 * 1024 * 1024, '7')}});
    }

    void corruptFiles()
    {
        QFETCH(QByteArray, bytes);
        test::writeFile(path(), bytes);
        ScriptedPrompt prompt;
        prompt.answer(PromptAnswer::No);
        ConfigFile config(m_dir->path() + u'/', prompt);
        Settings settings;
        settings.windowTop = 123;
        QCOMPARE(config.read(settings), ConfigFile::ReadResult::Declined);
        QCOMPARE(prompt.texts(), QStringList{kQuestion});
        QCOMPARE(int(settings.windowTop), 123);
        QCOMPARE(test::readFile(path()).size(), bytes.size()); // No keeps the file
    }

    void regenerate()
    {
        // The two fields before the bad one were read; Yes must still give defaults everywhere.
        test::writeFile(path(), QByteArray(kDefaultLines).replace("800,1000,7500", "1,2,75000"));
        ScriptedPrompt prompt;
        prompt.answer(PromptAnswer::Yes);
        ConfigFile config(m_dir->path() + u'/', prompt);
        Settings settings;
        settings.databasePath = QStringLiteral("/before/");
        QCOMPARE(config.read(settings), ConfigFile::ReadResult::Regenerated);
        const PromptRequest& q = prompt.requests().first();
        QVERIFY(q.title == QLatin1String("Config file corrupt") &&
                q.buttons == PromptButtons::YesNo && q.icon == PromptIcon::Critical);
        QCOMPARE(settings, Settings());
        QCOMPARE(test::readFile(path()), defaultFile());
    }

    void roundTrip()
    {
        ScriptedPrompt prompt;
        ConfigFile config(m_dir->path() + u'/', prompt);
        Settings s;
        s.windowTop = -120;
        s.windowLeft = -32768; // the 16-bit fields' ends
        s.splitterLeft = 32767;
        s.columnWidth1 = 1080;
        s.treeOnly = true;
        s.attributeMask = 0;
        s.defaultLocation = QString::fromUtf8("/media/zoë/");
        s.databasePath = QStringLiteral("/a, b/");
        QVERIFY(config.write(s));
        const QByteArray bytes = test::readFile(path());
        QVERIFY(bytes.startsWith("-120,-32768,7500,5400,32767\r\n1080,799.9371,1301.102,1440\r\n"
                                 "#FALSE#,#FALSE#,#TRUE#,0\r\n"));
        Settings back;
        QCOMPARE(config.read(back), ConfigFile::ReadResult::Read);
        QCOMPARE(back, s);
    }

    // Start-up: the single copy, the settings, and the database they name.
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
                {"in the home folder (here the temporary one)", "~/db", "db/", QStringList{}},
                {"the home folder itself", "~", "", QStringList{}},
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
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_dir->path()));
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });

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
    QString path() const { return m_dir->path() + QStringLiteral("/Dovrin.cfg"); }
    // A program folder holding one disk, with DatabasePath set to `databasePath`.
    void writeConfig(const QString& databasePath);
    QString lockPath() const { return m_dir->path() + QStringLiteral("/dovrin.lock"); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
};

void TestConfig::writeConfig(const QString& databasePath)
{
    Settings settings;
    settings.databasePath = databasePath;
    test::writeFile(m_program + QStringLiteral("Dovrin.cfg"), ConfigFile::bytes(settings));
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
