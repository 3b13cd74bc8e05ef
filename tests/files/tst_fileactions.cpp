#include "FakeDesktop.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "files/CopyItem.h"
#include "files/RealPath.h"
#include "store/DiskTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>

using namespace dovrin;
using files::CopyRequest;

Q_DECLARE_METATYPE(QList<dovrin::PromptAnswer>)

// Reaching the real disk from a catalogued key: where a file lies, and copying it or its
// folder out, with the questions answered from a script; and the same from dovrin-cli.
class TestFileActions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::FakeDesktop> m_desktop;
    QTemporaryDir m_dir;
    QString m_disk; // the real disk, catalogued as Cat\Disk
    QString m_target;
    DiskTable m_disks;

    // Every entry below a folder: "name" for files, "name/" for folders, "name@" for links.
    static QStringList listing(const QString& folder)
    {
        QStringList names;
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
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
        m_disk = m_dir.filePath(QStringLiteral("disk"));
        m_target = m_dir.filePath(QStringLiteral("target/"));
        m_disks.append({QStringLiteral("Cat\\Disk"), m_disk + u'/', {}, {}, 0});
        m_disks.append({QStringLiteral(".\\Old"), QStringLiteral("D:\\"), {}, {}, 0});
    }

    void init()
    {
        QDir(m_disk).removeRecursively();
        QDir(m_target).removeRecursively();
        QDir().mkpath(m_target);
        test::writeFile(m_disk + QStringLiteral("/Games/readme.txt"), "read me");
        test::writeFile(m_disk + QStringLiteral("/Games/Saves/.hidden"), "h");
        QDir().mkpath(m_disk + QStringLiteral("/Games/Empty"));
        QFile::link(QStringLiteral("readme.txt"), m_disk + QStringLiteral("/Games/link"));
        QFile readme(m_disk + QStringLiteral("/Games/readme.txt"));
        QVERIFY(readme.open(QIODevice::ReadWrite));
        readme.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                           QFile::FileModificationTime);
    }

    void realPath_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<QByteArray>>("onDisk"); // folders made on the disk first
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("native"); // "%D" the disk
        QTest::newRow("file") << "Cat\\Disk\\Games\\readme.txt" << QList<QByteArray>()
                              << "%D/Games/readme.txt" << QByteArray("%D/Games/readme.txt");
        QTest::newRow("folder") << "Cat\\Disk\\Games\\Saves\\" << QList<QByteArray>()
                                << "%D/Games/Saves/" << QByteArray("%D/Games/Saves/");
        QTest::newRow("recorded on Windows") << ".\\Old\\setup\\install.exe" << QList<QByteArray>()
                                             << "D:\\setup\\install.exe" << QByteArray();
        QTest::newRow("old bytes on the disk")
            << "Cat\\Disk\\café\\x" << QList<QByteArray>{"caf\xe9"} << "%D/café/x"
            << QByteArray("%D/caf\xe9/x");
        QTest::newRow("UTF-8 first") << "Cat\\Disk\\café\\x" << QList<QByteArray>{"caf\xe9", "café"}
                                     << "%D/café/x" << QByteArray("%D/café/x");
        QTest::newRow("neither on the disk")
            << "Cat\\Disk\\Ÿ\\x" << QList<QByteArray>() << "%D/Ÿ/x" << QByteArray("%D/Ÿ/x");
    }

    void realPath()
    {
        QFETCH(QString, key);
        QFETCH(QList<QByteArray>, onDisk);
        QFETCH(QString, text);
        QFETCH(QByteArray, native);
        const QByteArray disk = QFile::encodeName(m_disk);
        for (const QByteArray& folder : onDisk)
            QCOMPARE(::mkdir((disk + '/' + folder).constData(), 0755), 0);
        const files::RealPath path = files::realPath(m_disks, key);
        QCOMPARE(path.text, QString(text).replace(QStringLiteral("%D"), m_disk));
        QCOMPARE(path.native, QByteArray(native).replace("%D", disk));
        for (const QByteArray& folder : onDisk)
            ::rmdir((disk + '/' + folder).constData());
    }

    void copyItem_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("toDesktop");
        QTest::addColumn<QString>("chosen"); // the folder chooser's answer; "%T" the target
        QTest::addColumn<QList<PromptAnswer>>("answers");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("update");
        QTest::addColumn<QStringList>("copied"); // what the target holds then
        const QList<PromptAnswer> ok{PromptAnswer::Ok};
        const QString file = QStringLiteral("Cat\\Disk\\Games\\readme.txt");
        const QString missing = QStringLiteral("Cat\\Disk\\Games\\gone.txt");
        QTest::newRow("file") << file << false << "%T" << ok << QStringList{"Copy 'readme.txt'"}
                              << false << QStringList{"readme.txt"};
        QTest::newRow("over a file of its name")
            << file << false << "%T/over" << ok << QStringList{"Copy 'readme.txt'"} << false
            << QStringList{"over/", "over/readme.txt"};
        QTest::newRow("to the desktop")
            << file << true << "" << ok << QStringList{"Copy 'readme.txt' to desktop"} << false
            << QStringList{"readme.txt"};
        QTest::newRow("onto itself")
            << file << false << "%D/GAMES" << ok << QStringList{"Copy 'readme.txt'", "Error"}
            << false << QStringList();
        QTest::newRow("no such target folder")
            << file << false << "%T/none" << ok << QStringList{"Copy 'readme.txt'", "Error"}
            << false << QStringList();
        QTest::newRow("question cancelled")
            << file << false << "%T" << QList{PromptAnswer::Cancel}
            << QStringList{"Copy 'readme.txt'"} << false << QStringList();
        QTest::newRow("chooser cancelled")
            << file << false << "" << ok << QStringList{"Copy 'readme.txt'"} << false
            << QStringList();
        QTest::newRow("not found, update")
            << missing << false << "%T"
            << QList{PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::Yes}
            << QStringList{"Copy 'gone.txt'", "File not found", "Question"} << true
            << QStringList();
        QTest::newRow("not found, keep")
            << missing << false << "%T"
            << QList{PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::No}
            << QStringList{"Copy 'gone.txt'", "File not found", "Question"} << false
            << QStringList();
        QTest::newRow("folder") << "Cat\\Disk\\Games\\" << false << "%T" << ok
                                << QStringList{"Copy 'Games'"} << false
                                << QStringList{"Games/",       "Games/Empty/",
                                               "Games/Saves/", "Games/Saves/.hidden",
                                               "Games/link@",  "Games/readme.txt"};
    }

    void copyItem()
    {
        QFETCH(QString, key);
        QFETCH(bool, toDesktop);
        QFETCH(QString, chosen);
        QFETCH(QList<PromptAnswer>, answers);
        QFETCH(QStringList, titles);
        QFETCH(bool, update);
        QFETCH(QStringList, copied);
        QDir().mkpath(m_target + QStringLiteral("over"));
        test::writeFile(m_target + QStringLiteral("over/readme.txt"), "older and longer");
        const QStringList before = listing(m_target);
        chosen.replace(QStringLiteral("%T"), m_target).replace(QStringLiteral("%D"), m_disk);
        test::ScriptedPrompt prompt;
        for (PromptAnswer a : answers)
            prompt.answer(a);
        const CopyRequest request{
            key, key.endsWith(u'\\') ? QStringLiteral("Games") : key.section(u'\\', -1),
            key.endsWith(u'\\'), toDesktop};
        QCOMPARE(files::copyItem(prompt, m_disks, request, m_target,
                                 [&] { return chosen.isEmpty() ? chosen : chosen + u'/'; }),
                 update);
        QCOMPARE(prompt.titles(), titles);

        QStringList expected = before;
        for (const QString& name : copied) {
            if (!expected.contains(name))
                expected << name;
        }
        expected.sort();
        QTRY_COMPARE(listing(m_target), expected);
        for (const QString& name : copied) {
            if (!name.endsWith(QLatin1String("readme.txt")))
                continue;
            const QFileInfo info(m_target + name);
            QCOMPARE(test::readFile(info.filePath()), QByteArray("read me"));
            QCOMPARE(info.lastModified(), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        }
    }

    void confirmationTexts()
    {
        test::ScriptedPrompt prompt;
        prompt.answer(PromptAnswer::Cancel);
        files::copyItem(prompt, m_disks,
                        {QStringLiteral("Cat\\Disk\\Games\\readme.txt"),
                         QStringLiteral("readme.txt"), false, false},
                        m_target, [] { return QString(); });
        QCOMPARE(prompt.texts(), QStringList{"Please insert volume 'Disk' in drive " + m_disk +
                                             "/\rOr otherwise ensure " + m_disk +
                                             "/Games/readme.txt is accessible"});
        QCOMPARE(prompt.requests().first().icon, PromptIcon::Information);
    }

    void cli_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // stdout, or a part of stderr
        QTest::addColumn<QString>("made");   // a file that the command made
        QTest::newRow("path") << QStringList{"path", "Cat/Disk/Games/readme.txt"} << 0
                              << "%D/Games/readme.txt\n"
                              << QString();
        QTest::newRow("path of no disk")
            << QStringList{"path", "Cat/Other/a"} << 2 << "no loaded" << QString();
        QTest::newRow("open") << QStringList{"open", "Cat\\Disk\\Games\\readme.txt"} << 0 << ""
                              << QString();
        QTest::newRow("open a missing file") << QStringList{"open", "Cat/Disk/gone.txt"} << 1
                                             << "Unable to find file to run." << QString();
        QTest::newRow("copy a file")
            << QStringList{"copy", "Cat/Disk/Games/readme.txt", "%T"} << 0 << ""
            << "%T/readme.txt";
        QTest::newRow("copy a folder, waited for")
            << QStringList{"copy", "Cat/Disk/Games", "%T"} << 0 << ""
            << "%T/Games/Saves/.hidden";
        QTest::newRow("copy onto itself")
            << QStringList{"copy", "Cat/Disk/Games/readme.txt", "%D/Games"} << 2
            << "Source file and destination file are the same!" << QString();
    }

    void cli()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, made);
        QTemporaryDir database;
        test::writeFile(database.filePath(QStringLiteral("Cat/Disk.i")),
                        "25\r\n" + m_disk.toUtf8() +
                            "/\r\n1.00MB\r\n01/03/2026 10:15:00\r\n 0 \r\n");
        test::writeFile(database.filePath(QStringLiteral("Cat/Disk.t")), "");
        test::writeFile(database.filePath(QStringLiteral("Cat/Disk.f")), "\":\"\r\n");
        for (QString* text : {&output, &made})
            text->replace(QStringLiteral("%D"), m_disk).replace(QStringLiteral("%T"), m_target);
        args.replaceInStrings(QStringLiteral("%D"), m_disk)
            .replaceInStrings(QStringLiteral("%T"), m_target);
        m_desktop->clearArguments(QStringLiteral("editor"));

        QProcess cli;
        cli.start(QStringLiteral(DOVRIN_CLI_BINARY),
                  QStringList{QStringLiteral("--database"), database.path()} + args);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), status);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(status == 0 ? out == output : err.contains(output), qPrintable(out + err));
        if (!made.isEmpty())
            QVERIFY(QFileInfo::exists(made));
        if (args.first() == QLatin1String("open") && status == 0)
            QCOMPARE(m_desktop->arguments(QStringLiteral("editor")).last(),
                     QFile::encodeName(m_disk + QStringLiteral("/Games/readme.txt")));
    }
};

QTEST_GUILESS_MAIN(TestFileActions)
#include "tst_fileactions.moc"
