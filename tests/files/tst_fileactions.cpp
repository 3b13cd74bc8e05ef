#include "CliRun.h"
#include "DataTable.h"
#include "FailingCalls.h"
#include "FakeDesktop.h"
#include "Fixtures.h"
#include "RegisteredProgram.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "common/DetachedProcess.h"
#include "files/CopyItem.h"
#include "files/FileCopy.h"
#include "files/RealPath.h"
#include "store/DiskTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>

using namespace dovrin;
using namespace Qt::StringLiterals;
using platform::RegisteredProgram;

// Reaching the real disk from a catalogued key: where a file lies; which program the desktop
// opens it with, and starting it, a name never reaching a shell and arriving as one argument,
// byte for byte; copying it or its folder out, the questions answered from a script; and the
// same through dovrin-cli.
class TestFileActions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::FakeDesktop> m_desktop;
    QTemporaryDir m_dir;
    QString m_disk;   // the real disk, catalogued as Cat\Disk
    QString m_target; // where copies go
    DiskTable m_disks;
    const QDateTime m_time{QDate(2001, 2, 3), QTime(4, 5, 6)};

    QByteArray nativePath(const QByteArray& name) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + name;
    }

    // Every entry below a folder: "name", "name/" for a folder, "name@" for a link.
    static QStringList listing(const QString& folder)
    {
        QStringList names;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            names << QDir(folder).relativeFilePath(info.filePath()) + (info.isSymLink() ? "@"
                                                                       : info.isDir()   ? "/"
                                                                                        : "");
        }
        names.sort();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_desktop = std::make_unique<test::FakeDesktop>();
        // A command run by a shell would work here.
        QDir::setCurrent(m_dir.path());
        test::writeFile(m_dir.filePath(QStringLiteral("x.txt")), "keep");
        m_disk = m_dir.filePath(QStringLiteral("disk"));
        m_target = m_dir.filePath(QStringLiteral("target/"));
        m_disks.append({QStringLiteral("Cat\\Disk"), m_disk + u'/', {}, {}, 0});
        m_disks.append({QStringLiteral(".\\Old"), QStringLiteral("D:\\"), {}, {}, 0});
    }

    void init()
    {
        QDir(m_disk).removeRecursively();
        QDir(m_target).removeRecursively();
        test::writeFile(m_disk + QStringLiteral("/Games/Saves/.hidden"), "h");
        test::writeFile(m_disk + QStringLiteral("/Games/.hidden"), "h");
        QDir().mkpath(m_disk + QStringLiteral("/Games/Empty"));
        QFile::link(QStringLiteral("readme.txt"), m_disk + QStringLiteral("/Games/link"));
        test::writeFile(m_target + QStringLiteral("over/readme.txt"), "older and longer");
        QFile readme(m_disk + QStringLiteral("/Games/readme.txt"));
        QVERIFY(readme.open(QIODevice::WriteOnly));
        readme.write("read me");
        readme.flush(); // before the time is set, not after
        readme.setFileTime(m_time, QFile::FileModificationTime);
    }

    void realPath_data()
    {
        // onDisk: folders made on the disk first; %D: the disk.
        const QList<QByteArray> none;
        test::table<QString, QList<QByteArray>, QString, QByteArray>(
            {"key", "onDisk", "text", "native"},
            {{"file", "Cat\\Disk\\Games\\readme.txt", none, "%D/Games/readme.txt",
              "%D/Games/readme.txt"},
             {"folder", "Cat\\Disk\\Games\\Saves\\", none, "%D/Games/Saves/", "%D/Games/Saves/"},
             {"recorded on Windows", ".\\Old\\setup\\install.exe", none, "D:\\setup\\install.exe",
              QByteArray()},
             {"old bytes on the disk",
              "Cat\\Disk\\café\\x",
              {"caf\xe9"},
              "%D/café/x",
              "%D/caf\xe9/x"},
             {"UTF-8 first", "Cat\\Disk\\café\\x", {"caf\xe9", "café"}, "%D/café/x", "%D/café/x"}});
    }

    void realPath()
    {
        auto [key, onDisk, text, native] =
            test::fetch<QString, QList<QByteArray>, QString, QByteArray>("key", "onDisk", "text",
                                                                         "native");
        const QByteArray disk = QFile::encodeName(m_disk);
        for (const QByteArray& folder : onDisk)
            QCOMPARE(::mkdir((disk + '/' + folder).constData(), 0755), 0);
        const files::RealPath path = files::realPath(m_disks, key);
        for (const QByteArray& folder : onDisk)
            ::rmdir((disk + '/' + folder).constData());
        QCOMPARE(path.text, text.replace(QStringLiteral("%D"), m_disk));
        QCOMPARE(path.native, native.replace("%D", disk));
    }

    // Whichever call fails, a copy is whole under its name, with its time, or not there at all.
    void copyFileSurvivesAFailingCall()
    {
        const QString into = m_dir.filePath(QStringLiteral("into"));
        const QByteArray target = QFile::encodeName(into) + "/copy.txt";
        QDir().mkpath(into);
        test::forEachFailingCall(m_dir.path(), [&](test::Fault& fault) {
            QFile::remove(QFile::decodeName(target));
            QString error;
            const bool ok = fault.during([&] {
                return files::copyFile(QFile::encodeName(m_disk) + "/Games/readme.txt", target,
                                       &error);
            });
            const QByteArray where = fault.where(error);
            QVERIFY2(ok == error.isEmpty() && (ok || fault.hit()), where);
            QVERIFY2(listing(into) == (ok ? QStringList{"copy.txt"} : QStringList()), where);
            QVERIFY2(!ok || (test::readFile(QFile::decodeName(target)) == "read me" &&
                             QFileInfo(QFile::decodeName(target)).lastModified() == m_time),
                     where);
        });
    }

    void copyItem_data()
    {
        // name: below the disk, a folder ends with "\"; chosen: below the target, "-" cancels,
        // "=" the source, "@" the desktop; answers: O(k), C(ancel), Y(es), N(o); shown: the
        // boxes' titles, "*" for "Copy 'readme.txt'"; update: "u" when the disk is offered for
        // updating; copied: what the target gains; checked: a copy of readme.txt, with its time.
        for (const char* column :
             {"name", "chosen", "answers", "shown", "update", "copied", "checked"})
            QTest::addColumn<QString>(column);
        test::addTextRows(
            {
                "file;Games\\readme.txt;;O;*;;readme.txt;readme.txt",
                "over a file of its name;Games\\readme.txt;over;O;*;;;over/readme.txt",
                "to the desktop;Games\\readme.txt;@;O;* to desktop;;readme.txt;readme.txt",
                "onto itself;Games\\readme.txt;=;O;*|Error;;;",
                "no such folder;Games\\readme.txt;none;O;*|Error;;;",
                "chooser cancelled;Games\\readme.txt;-;O;*;;;",
                "question cancelled;Games\\readme.txt;;C;*;;;",
                "not found, update;Games\\gone.txt;;OOY;Copy 'gone.txt'|File not "
                "found|Question;u;;",
                "a folder where the file was;Games\\Saves;;OOY;Copy 'Saves'|File not "
                "found|Question;u;;",
                "folder with all in it;Games\\;;O;Copy 'Games';;Games/|Games/.hidden|Games/Empty/|"
                "Games/Saves/|Games/Saves/.hidden|Games/link@|Games/readme.txt;Games/readme.txt",
            },
            u';');
    }

    void copyItem()
    {
        auto [name, chosen, answers, shown, update, copied, checked] =
            test::fetch<QString, QString, QString, QString, QString, QString, QString>(
                "name", "chosen", "answers", "shown", "update", "copied", "checked");
        test::ScriptedPrompt prompt;
        for (QChar a : answers)
            prompt.answer(a == u'O'   ? PromptAnswer::Ok
                          : a == u'C' ? PromptAnswer::Cancel
                          : a == u'Y' ? PromptAnswer::Yes
                                      : PromptAnswer::No);
        const QString target = chosen == QLatin1String("-")   ? QString()
                               : chosen == QLatin1String("=") ? m_disk.toUpper() + "/GAMES/"
                                                              : m_target + chosen + u'/';
        const QStringList before = listing(m_target);
        const bool folder = name.endsWith(u'\\');
        const bool desktop = chosen == QLatin1String("@");
        const files::CopyRequest request{QStringLiteral("Cat\\Disk\\") + name,
                                         name.chopped(folder).section(u'\\', -1), folder, desktop};
        QCOMPARE(files::copyItem(prompt, m_disks, request, m_target, [&] { return target; }),
                 update == u"u");
        QCOMPARE(prompt.titles().join(u'|'), shown.replace(u'*', u"Copy 'readme.txt'"_s));
        QStringList expected = before + copied.split(u'|', Qt::SkipEmptyParts);
        expected.sort();
        QTRY_COMPARE(listing(m_target), expected); // also: no temporary file is left
        if (!checked.isEmpty()) {
            QTRY_COMPARE(test::readFile(m_target + checked), QByteArray("read me"));
            QCOMPARE(QFileInfo(m_target + checked).lastModified(), m_time);
        }
    }

    void getRunCommand_data()
    {
        // content: empty for no file; expected: %1 the path, %2 the editor.
        const QByteArray elf("\x7f"
                             "ELF\2\1\1",
                             7);
        test::table<QByteArray, QByteArray, bool, QString>(
            {"name", "content", "executable", "expected"},
            {{"machine program", "install.exe", elf, true, "%1"},
             {"script without extension", "setup", "#!/bin/sh\n", true, "%1"},
             {"text file", "readme.txt", "hello", false, "%2 \"%1\""},
             // Every file on a FAT disk has the execute bit.
             {"text with execute bit", "notes.txt", "hello", true, "%2 \"%1\""},
             {"ends like a machine program", "notes2.txt", "XELF", true, "%2 \"%1\""},
             {"a bang but no hash", "notes3.txt", "a!b", true, "%2 \"%1\""},
             {"no extension", "README", "hello\n", false, "%2"},
             {"nothing registered", "data.zzq", QByteArray("\0\1\2\3\4", 5), false, ":"},
             {"gone, by its name", "gone.txt", "", false, "%2 \"%1\""}});
    }

    void getRunCommand()
    {
        auto [name, content, executable, expected] =
            test::fetch<QByteArray, QByteArray, bool, QString>("name", "content", "executable",
                                                               "expected");
        const QByteArray path = nativePath(name);
        if (!content.isEmpty()) {
            test::writeNativeFile(path, content);
            QFile::setPermissions(QFile::decodeName(path),
                                  executable
                                      ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                      : QFile::ReadOwner | QFile::WriteOwner);
        }
        expected.replace(QStringLiteral("%1"), QFile::decodeName(path))
            .replace(QStringLiteral("%2"), m_desktop->path(QStringLiteral("editor")));
        QCOMPARE(platform::getRunCommand(path, QFile::decodeName(path)), expected);
    }

    void hostileNamesArriveWhole_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("program"); // the file itself is the program
        for (const char* name : {"a\"b.txt", "$(touch pwned).txt", "; rm -rf x.txt", "`id`.txt",
                                 "-rf.txt", "two  spaces.txt", "caf\xe9 \xff.txt"})
            QTest::newRow(name) << QByteArray(name) << false;
        QTest::newRow("program $(touch pwned)") << QByteArray("$(touch pwned)") << true;
        QTest::newRow("program -rf; rm x.txt") << QByteArray("-rf; rm x.txt") << true;
    }

    void hostileNamesArriveWhole()
    {
        auto [name, program] = test::fetch<QByteArray, bool>("name", "program");
        const QByteArray path = nativePath(name);
        const QString application = program ? QStringLiteral("program") : QStringLiteral("editor");
        m_desktop->clearArguments(application);
        if (program)
            m_desktop->writeProgram(path, application);
        else
            test::writeNativeFile(path, "text");

        const RegisteredProgram registered = RegisteredProgram::forFile(path);
        QCOMPARE(registered.isFileItself(), program);
        QString error;
        QVERIFY2(registered.start(path, &error), qPrintable(error));
        const QList<QByteArray> args = m_desktop->arguments(application);
        QCOMPARE(args.size(), program ? 1 : 2);
        QCOMPARE(args.last(), path);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("pwned"))));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("x.txt"))));
        ::unlink(path.constData()); // Qt leaves a name that is not UTF-8 behind
    }

    // A started program runs on its own: starting it does not wait for it to end.
    void startedProgramRunsOnItsOwn()
    {
        const QByteArray release = nativePath("release");
        const QByteArray said = nativePath("said");
        const QByteArray program = nativePath("waits");
        test::writeNativeFile(program, "#!/bin/sh\nfor i in $(seq 50); do\n  [ -e '" + release +
                                           "' ] && { echo released > '" + said +
                                           "'; exit; }\n  sleep 0.1\ndone\necho waited > '" + said +
                                           "'\n");
        ::chmod(program.constData(), 0755);
        QString error;
        QVERIFY2(startDetached(program, {}, {}, &error), qPrintable(error));
        test::writeNativeFile(release, {});
        QTRY_COMPARE_WITH_TIMEOUT(test::readFile(QFile::decodeName(said)), QByteArray("released\n"),
                                  10000);
    }

    // The tool finds the real path as the window does, starts a file with its program, and
    // waits for a folder's copy.
    void cliPathOpenAndCopy()
    {
        QTemporaryDir database;
        test::writeRecord(database.filePath(QStringLiteral("Cat/Disk")),
                          test::infoBytes(m_disk.toUtf8() + '/', "1.00MB"));
        auto run = [&](const QStringList& args) {
            const test::CliRun cli = test::runCli(database.path(), args);
            return cli.status == 0 ? cli.out : QByteArray("failed");
        };
        QCOMPARE(run({"path", "Cat/Disk/Games/readme.txt"}),
                 QFile::encodeName(m_disk) + "/Games/readme.txt\n");
        m_desktop->clearArguments(QStringLiteral("editor"));
        QCOMPARE(run({"open", "Cat/Disk/Games/readme.txt"}), QByteArray());
        QCOMPARE(m_desktop->arguments(QStringLiteral("editor")).value(1),
                 QFile::encodeName(m_disk) + "/Games/readme.txt");
        QCOMPARE(run({"copy", "Cat\\Disk\\Games", m_target}), QByteArray());
        QCOMPARE(listing(m_target + QStringLiteral("Games")),
                 listing(m_disk + QStringLiteral("/Games")));
    }
};

QTEST_GUILESS_MAIN(TestFileActions)
#include "tst_fileactions.moc"
