#include "DataTable.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"

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

    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

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
        s.columnWidth1 = 1080;
        s.treeOnly = true;
        s.attributeMask = 0;
        s.defaultLocation = QString::fromUtf8("/media/zoë/");
        s.databasePath = QStringLiteral("/a, b/");
        QVERIFY(config.write(s));
        const QByteArray bytes = test::readFile(path());
        QVERIFY(bytes.startsWith("-120,1000,7500,5400,2900\r\n1080,799.9371,1301.102,1440\r\n"
                                 "#FALSE#,#FALSE#,#TRUE#,0\r\n"));
        Settings back;
        QCOMPARE(config.read(back), ConfigFile::ReadResult::Read);
        QCOMPARE(back, s);
    }

private:
    QString path() const { return m_dir->path() + QStringLiteral("/Dovrin.cfg"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
