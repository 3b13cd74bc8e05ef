#include "FakeDesktop.h"
#include "RegisteredProgram.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

using namespace dovrin;
using platform::RegisteredProgram;

// Which program the desktop opens a file with, the command line it makes, and starting it: a
// name never reaches a shell and arrives as one argument, byte for byte.
class TestRunCommand : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::FakeDesktop> m_desktop;
    QTemporaryDir m_files;

    QByteArray nativePath(const QByteArray& name) const
    {
        return QFile::encodeName(m_files.path()) + '/' + name;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_desktop = std::make_unique<test::FakeDesktop>();
        // A command run by a shell would work here.
        QDir::setCurrent(m_files.path());
        test::writeFile(m_files.filePath(QStringLiteral("x.txt")), "keep");
    }

    void getRunCommand_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("expected"); // %1 the path, %2 the editor
        QTest::newRow("machine program") << QByteArray("install.exe")
                                         << QByteArray("\x7f"
                                                       "ELF\2\1\1",
                                                       7)
                                         << true << "%1";
        QTest::newRow("script without extension")
            << QByteArray("setup") << QByteArray("#!/bin/sh\n") << true << "%1";
        QTest::newRow("text file")
            << QByteArray("readme.txt") << QByteArray("hello") << false << "%2 \"%1\"";
        // Every file on a FAT disk has the execute bit.
        QTest::newRow("text with execute bit")
            << QByteArray("notes.txt") << QByteArray("hello") << true << "%2 \"%1\"";
        QTest::newRow("no extension")
            << QByteArray("README") << QByteArray("hello\n") << false << "%2";
        QTest::newRow("nothing registered")
            << QByteArray("data.zzq") << QByteArray("\0\1\2\3\4", 5) << false << ":";
        QTest::newRow("gone, by its name")
            << QByteArray("gone.txt") << QByteArray() << false << "%2 \"%1\"";
    }

    void getRunCommand()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(QString, expected);
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

    void runCommandForm_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("extension in the program, other case") << "D:\\SETUP\\INSTALL.EXE"
                                                              << "D:\\setup\\install.exe"
                                                              << "D:\\SETUP\\INSTALL.EXE";
        QTest::newRow("blank and quote dropped") << "/usr/bin/ed \""
                                                 << "/a/b.txt"
                                                 << "/usr/bin/ed \"/a/b.txt\"";
        QTest::newRow("NUL becomes a blank")
            << QStringLiteral("/bin/e%1d").arg(QChar(0)) << "/a/b.txt"
            << "/bin/e d \"/a/b.txt\"";
        QTest::newRow("only blanks") << "   "
                                     << "/a/b.txt"
                                     << ":";
    }

    void runCommandForm()
    {
        QFETCH(QString, program);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(platform::runCommand(program, path), expected);
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
        QFETCH(QByteArray, name);
        QFETCH(bool, program);
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
        QVERIFY(!QFile::exists(m_files.filePath(QStringLiteral("pwned"))));
        QVERIFY(QFile::exists(m_files.filePath(QStringLiteral("x.txt"))));
    }
};

QTEST_GUILESS_MAIN(TestRunCommand)
#include "tst_runcommand.moc"
