#include "../ui/UiTestDatabase.h"
#include "TestFiles.h"

#include <QDirIterator>
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

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    Run result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

const QString kShare = QStringLiteral(DOVRIN_SHARE_BUILD_DIR "/");
const QString kAppId = QStringLiteral(DOVRIN_APP_ID);

} // namespace

// `cmake --install` into a temporary DESTDIR: the desktop files pass their validators, and the
// installed programs run from there as from a read-only system folder.
class TestDesktopInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_prefix; // DESTDIR + /usr
    QProcessEnvironment m_user;

    QString installed(const QString& path) const { return m_prefix + u'/' + path; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), m_dir.filePath(QStringLiteral("root")));
        const Run install = run(QStringLiteral(DOVRIN_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(DOVRIN_BUILD_DIR),
                                 QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.err));
        m_prefix = m_dir.filePath(QStringLiteral("root/usr"));
        // The help page comes from the build; without one yet, a stand-in shows it is found.
        if (!QFileInfo::exists(installed(QStringLiteral("share/dovrin/Help.html"))))
            test::writeFile(installed(QStringLiteral("share/dovrin/Help.html")), "<html></html>");

        // A user with an empty home; the installed folder must stay as it was installed.
        m_user = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
            const QString folder = m_dir.filePath(QLatin1String(name));
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            m_user.insert(QLatin1String(name), folder);
        }
        m_user.insert(QStringLiteral("PATH"),
                      installed(QStringLiteral("bin:")) + m_user.value(QStringLiteral("PATH")));
        m_user.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void validators_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{kShare + kAppId + ".desktop"};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", "--pedantic",
                                                 kShare + kAppId + ".metainfo.xml"};
        for (const char* page : {"dovrin.1", "dovrin-cli.1"})
            QTest::newRow(page) << "man" << QStringList{"--warnings", "-l", kShare + page};
    }

    void validators()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const Run check = run(program, args, environment);
        QVERIFY2(check.exitCode == 0, qPrintable(program + " failed:\n" + check.out + check.err));
        // The validators print hints and warnings on an exit status of 0 too.
        const QString said = program == QLatin1String("man") ? check.err : check.out + check.err;
        const bool clean =
            program == QLatin1String("appstreamcli")
                ? !said.contains(QRegularExpression(QStringLiteral("^[WIP]:"),
                                                    QRegularExpression::MultilineOption))
                : said.trimmed().isEmpty();
        QVERIFY2(clean, qPrintable(said));
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // the start of stdout, or of stderr on failure
        const QString version = QStringLiteral("dovrin " DOVRIN_VERSION "\n");
        for (const char* program : {"dovrin", "dovrin-cli"}) {
            const QString name = QLatin1String(program);
            QTest::addRow("%s version", program)
                << name << QStringList{"--version"} << 0 << version;
            QTest::addRow("%s help", program) << name << QStringList{"--help"} << 0 << "Usage: ";
            QTest::addRow("%s unknown option", program)
                << name << QStringList{"--frobnicate"} << 2 << name + ": Unknown option";
        }
        QTest::newRow("dovrin file argument")
            << "dovrin" << QStringList{"notes.txt"} << 2 << "dovrin: Dovrin opens no files";
    }

    void commandLines()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const Run result = run(installed(QStringLiteral("bin/") + program), args, m_user);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? result.out : result.err).startsWith(output),
                 qPrintable(result.out + result.err));
    }

    void installedProgramUsesTheUserFolder()
    {
        const QStringList before = filesBelow(m_prefix);
        const Run help = run(installed(QStringLiteral("bin/dovrin")), {"--help"}, m_user);
        QVERIFY(help.out.contains(QStringLiteral("User guide: ") +
                                  installed(QStringLiteral("share/dovrin/Help.html"))));

        QProcess program;
        program.setProcessEnvironment(m_user);
        program.start(installed(QStringLiteral("bin/dovrin")), {});
        const QString userFolder = m_user.value(QStringLiteral("XDG_DATA_HOME")) + "/dovrin/";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(userFolder + "Dovrin.cfg"), 20000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        QCOMPARE(filesBelow(m_prefix), before);
        // No demo catalogues in a real user's database.
        QCOMPARE(QDir(userFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"Dovrin.cfg"});
    }

    void completion_data()
    {
        QTest::addColumn<QString>("line"); // the words typed, the last one being completed
        QTest::addColumn<QString>("offered");
        QTest::newRow("command") << "dovrin-cli se"
                                 << "search";
        QTest::newRow("global option") << "dovrin-cli --data"
                                       << "--database";
        QTest::newRow("command option") << "dovrin-cli catalogue /tmp X --fo"
                                        << "--folders-only";
        QTest::newRow("listed values") << "dovrin-cli catalogue /tmp X --attributes "
                                       << "0 2 4 6";
        QTest::newRow("values from the summary") << "dovrin-cli search w"
                                                 << "whole";
        QTest::newRow("catalogue names")
            << "dovrin-cli --database DB catalogue /tmp X --catalogue H"
            << "Holidays";
    }

    void completion()
    {
        QFETCH(QString, line);
        QFETCH(QString, offered);
        QTemporaryDir database;
        test::writeSampleDatabase(database.path());
        line.replace(QStringLiteral(" DB "), u' ' + database.path() + u' ');
        // Outside an interactive shell there is no completion to set options on.
        const QString script =
            QStringLiteral("compopt() { :; }; source \"$1\"; read -ra COMP_WORDS <<<\"$2\";"
                           "[[ $2 == *' ' ]] && COMP_WORDS+=('');"
                           "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _dovrin_cli;"
                           "echo \"${COMPREPLY[*]}\"");
        const Run bash =
            run(QStringLiteral("bash"),
                {QStringLiteral("-c"), script, QStringLiteral("bash"),
                 installed(QStringLiteral("share/bash-completion/completions/dovrin-cli")), line},
                m_user);
        QVERIFY2(bash.err.isEmpty(), qPrintable(bash.err));
        QCOMPARE(bash.out.trimmed(), offered);
    }
};

QTEST_GUILESS_MAIN(TestDesktopInstall)
#include "tst_desktopinstall.moc"
