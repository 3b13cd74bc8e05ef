#include "DataTable.h"
#include "Fixtures.h"
#include "TextRows.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    Run result;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

const QString kShare = QStringLiteral(DOVRIN_SHARE_BUILD_DIR "/");

} // namespace

// `cmake --install` into a temporary DESTDIR: the desktop files pass their validators, and the
// installed programs run from there as from a system folder.
class TestDesktopInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_prefix;
    QProcessEnvironment m_user = QProcessEnvironment::systemEnvironment();

    QString installed(const QString& path) const { return m_prefix + u'/' + path; }

private Q_SLOTS:
    void initTestCase()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), m_dir.filePath(QStringLiteral("root")));
        const Run install = run(QStringLiteral(DOVRIN_CMAKE_COMMAND),
                                {"--install", DOVRIN_BUILD_DIR, "--prefix", "/usr"}, environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.err));
        m_prefix = m_dir.filePath(QStringLiteral("root/usr"));
        // The help page comes from the build; without one yet, a stand-in shows it is found.
        if (!QFileInfo::exists(installed(QStringLiteral("share/dovrin/Help.html"))))
            test::writeFile(installed(QStringLiteral("share/dovrin/Help.html")), "<html></html>");

        // A user with an empty home, the installed programs first on the PATH.
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
            const QString folder = m_dir.filePath(QLatin1String(name));
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            m_user.insert(QLatin1String(name), folder);
        }
        m_user.insert(QStringLiteral("PATH"), installed("bin:") + m_user.value("PATH"));
        m_user.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void validators_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{kShare + DOVRIN_APP_ID ".desktop"};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", "--pedantic",
                                                 kShare + DOVRIN_APP_ID ".metainfo.xml"};
        for (const char* page : {"dovrin.1", "dovrin-cli.1"})
            QTest::newRow(page) << "man" << QStringList{"--warnings", "-l", kShare + page};
    }

    void validators()
    {
        auto [program, args] = test::fetch<QString, QStringList>("program", "args");
        const Run check = run(program, args, m_user);
        // Hints and warnings come with an exit status of 0 too; man's page goes to stdout.
        QString said = check.err + (program == QLatin1String("man") ? QString() : check.out);
        if (program == QLatin1String("appstreamcli"))
            said.remove(QRegularExpression(QStringLiteral("^(?![WIPE]:).*$\\n?"),
                                           QRegularExpression::MultilineOption));
        QVERIFY2(check.exitCode == 0 && said.trimmed().isEmpty(), qPrintable(said + check.out));
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // the start of stdout, or of stderr on failure
        for (const char* program : {"dovrin", "dovrin-cli"}) {
            QTest::addRow("%s version", program)
                << program << QStringList{"--version"} << 0 << "dovrin " DOVRIN_VERSION "\n";
            QTest::addRow("%s help", program) << program << QStringList{"--help"} << 0 << "Usage: ";
            QTest::addRow("%s unknown option", program)
                << program << QStringList{"--frobnicate"} << 2
                << QString(program) + ": Unknown option";
        }
        // print runs in the installed desktop helper, which gives its usage.
        QTest::newRow("dovrin-cli print")
            << "dovrin-cli" << QStringList{"print"} << 2 << "dovrin-cli: usage: print";
        QTest::newRow("dovrin file")
            << "dovrin" << QStringList{"notes.txt"} << 2 << "dovrin: Dovrin opens no files";
    }

    void commandLines()
    {
        auto [program, args, exitCode, output] = test::fetch<QString, QStringList, int, QString>(
            "program", "args", "exitCode", "output");
        const Run result = run(installed("bin/" + program), args, m_user);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? result.out : result.err).startsWith(output),
                 qPrintable(result.out + result.err));
    }

    void installedProgramUsesTheUserFolder()
    {
        const Run help = run(installed("bin/dovrin"), {"--help"}, m_user);
        QVERIFY(help.out.contains("User guide: " + installed("share/dovrin/Help.html")));

        QProcess program;
        program.setProcessEnvironment(m_user);
        program.start(installed("bin/dovrin"), {});
        const QString userFolder = m_user.value("XDG_DATA_HOME") + "/dovrin/";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(userFolder + "Dovrin.cfg"), 20000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        // Nothing written where the program was installed.
        QCOMPARE(QDir(installed("bin")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"dovrin", "dovrin-cli"}));
        QCOMPARE(QDir(installed("share/dovrin")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Help.html"});
        // No demo catalogues in a real user's database.
        QCOMPARE(QDir(userFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"Dovrin.cfg"});
    }
};

QTEST_GUILESS_MAIN(TestDesktopInstall)
#include "tst_desktopinstall.moc"
