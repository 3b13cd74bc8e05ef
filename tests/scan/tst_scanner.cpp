#include "DataTable.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "scan/LocalTime.h"
#include "scan/Scanner.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dovrin;
using namespace dovrin::test;

// The file lines of a file list as "name,size", sorted.
static QByteArrayList files(const QByteArray& list)
{
    QByteArrayList out;
    for (const QByteArray& line : list.split('\n')) {
        if (line.count("\",") == 1 && line.endsWith("#\r"))
            out << line.mid(1, line.lastIndexOf(',') - 1).replace("\",", ",");
    }
    std::sort(out.begin(), out.end());
    return out;
}

class TestScanner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { pinLocale(); }

    void init()
    {
        const QString name = QString::fromLatin1(QTest::currentTestFunction()) + u'-' +
                             QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
        m_source = m_dir.path() + QStringLiteral("/src-") + name + u'/';
        m_database = m_dir.path() + QStringLiteral("/db-") + name + u'/';
        QDir().mkpath(m_source);
        QDir().mkpath(m_database);
        m_prompt = ScriptedPrompt();
        m_progress.~RecordingProgress();
        new (&m_progress) RecordingProgress();
    }

    void recordMatchesFormat()
    {
        // Enough sibling folders, with names differing only in case, to make the order matter.
        const QStringList names{"beta", "Alpha", "gamma",   "ALPHA2",      "alpha1", "Zed",
                                "_x",   "a b",   ".hidden", "delta,comma", "Émile",  "echo"};
        for (const QString& n : names) {
            makeFolder(m_source + n);
            makeFile(m_source + n + "/f-" + n + ".txt", n.toUtf8());
        }
        for (const char* n : {"one", "Two", "three"}) {
            makeFolder(m_source + "beta/" + QLatin1String(n) + "/deeper/deepest");
            makeFile(m_source + "beta/" + QLatin1String(n) + "/deeper/file.dat", "12345");
        }
        makeFolder(m_source + "Zed/empty");
        makeFile(m_source + "root.txt", "root");
        makeFile(m_source + "second.txt", QByteArray(70000, 'z'));

        QCOMPARE(scan(), ScanOutcome::Complete);
        const ExpectedRecord expected(m_source.chopped(1));
        QCOMPARE(record(".t"), expected.tree);
        QCOMPARE(record(".f"), expected.list);
        // An empty folder's block is its folder line alone.
        const QByteArray list = record(".f");
        const QByteArray emptyBlock = "\":\\Zed\\empty\"\r\n";
        const qsizetype after = list.indexOf(emptyBlock) + emptyBlock.size();
        QVERIFY(after > emptyBlock.size());
        QVERIFY(after == list.size() || list.mid(after, 2) == "\":");
        QCOMPARE(databaseFiles(), (QStringList{"Disk.f", "Disk.i", "Disk.t"}));

        const QList<QByteArray> info = record(".i").split('\n');
        QCOMPARE(info.size(), 6);
        QCOMPARE(info[0], "25\r");
        QCOMPARE(info[1], m_source.toUtf8() + "\r");
        QVERIFY(
            QRegularExpression("^\\d+\\.\\d\\dMB\r$").match(QString::fromUtf8(info[2])).hasMatch());
        QCOMPARE(info[4], " 0 \r");
    }

    void rootWithoutFolders()
    {
        makeFile(m_source + "only.txt", "abc", QDateTime(QDate(2026, 3, 1), QTime(10, 15)));
        QCOMPARE(scan(), ScanOutcome::Complete);
        QCOMPARE(record(".t"), QByteArray());
        QCOMPARE(record(".f"), QByteArray("\":\"\r\n\"only.txt\",3,#2026-03-01 10:15:00#\r\n"));
        // FolderCount 1: 29 plus one step of 70.
        QCOMPARE(m_progress.values(), (QList<int>{20, 29, 99}));
    }

    void foldersOnly()
    {
        makeFolder(m_source + "a/b");
        makeFile(m_source + "a/file.txt");
        makeFile(m_source + "top.txt");
        QCOMPARE(scan(true), ScanOutcome::Complete);
        QCOMPARE(record(".f"), QByteArray("\":\"\r\n\":\\a\"\r\n\":\\a\\b\"\r\n"));
        QCOMPARE(record(".t"), QByteArray(":\\a\r\n:\\a\\b\r\n"));
        QVERIFY(record(".i").endsWith("\r\n 1 \r\n"));
        QVERIFY(!m_progress.statuses[0].join('|').contains("Getting file lists"));
    }

    void dates_data()
    {
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 31), QTime(0, 0))
                                  << QByteArray("#2026-01-31#");
        QTest::newRow("time") << QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59))
                              << QByteArray("#2024-02-29 23:59:59#");
        QTest::newRow("before 1970") << QDateTime(QDate(1969, 7, 20), QTime(20, 17, 40))
                                     << QByteArray("#1969-07-20 20:17:40#");
    }

    void dates()
    {
        auto [modified, text] = test::fetch<QDateTime, QByteArray>("modified", "text");
        makeFile(m_source + "f", "", modified);
        if (QFileInfo(m_source + "f").lastModified() != modified)
            QSKIP("the file system cannot hold this time");
        QCOMPARE(scan(), ScanOutcome::Complete);
        QCOMPARE(record(".f"), "\":\"\r\n\"f\",0," + text + "\r\n");
    }

    void extensionFilter()
    {
        writeFile(m_database + "Extensions.dat", "tmp\r\nbak\r\n\r\nTXT\r\n");
        for (const char* name : {"report.tmp", "notmp", "REPORT.TMP", "x.bak", "keep.txt"})
            makeFolder(m_source + name + QStringLiteral(".d")),
                makeFile(m_source + name + QStringLiteral(".d/") + name);
        QCOMPARE(scan(), ScanOutcome::Complete);
        // TXT after the empty item is not read.
        QCOMPARE(files(record(".f")), (QByteArrayList{"REPORT.TMP,1", "keep.txt,1"}));
    }

    void attributeMask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QByteArrayList>("files");
        const QByteArrayList hidden{".dotfile,1", ".inner,1"};
        QTest::newRow("0") << 0 << QByteArrayList{};
        QTest::newRow("2") << 2 << hidden;
        QTest::newRow("4") << 4 << QByteArrayList{"pipe,0"};
        QTest::newRow("6") << 6 << hidden + QByteArrayList{"pipe,0"};
    }

    void attributeMask()
    {
        auto [mask, files] = test::fetch<int, QByteArrayList>("mask", "files");
        makeFile(m_source + ".dotfile");
        makeFile(m_source + "plain");
        makeFile(m_source + ".hid/.inner");
        makeFile(m_source + ".hid/visible");
        QCOMPARE(::mkfifo(QFile::encodeName(m_source + "pipe").constData(), 0644), 0);
        QCOMPARE(scan(false, mask), ScanOutcome::Complete);
        QCOMPARE(record(".t"), ":\\.hid\r\n"); // hidden folders are always walked
        files << "plain,1"
              << "visible,1";
        std::sort(files.begin(), files.end());
        QCOMPARE(::files(record(".f")), files);
    }

    void linksAreNotFollowed()
    {
        makeFile(m_source + "a/target.txt", "hello");
        QVERIFY(QFile::link(QStringLiteral(".."), m_source + "a/loop"));
        QVERIFY(QFile::link(m_source, m_source + "a/root"));
        QVERIFY(QFile::link(QStringLiteral("target.txt"), m_source + "a/file-link"));
        QVERIFY(QFile::link(QStringLiteral("missing"), m_source + "a/dangling"));
        QCOMPARE(scan(), ScanOutcome::Complete);
        QCOMPARE(record(".t"), QByteArray(":\\a\r\n"));
        // Each link is recorded once as a file of its own: the length of its target as size.
        QCOMPARE(files(record(".f")),
                 (QByteArrayList{"dangling,7", "file-link,10", "loop,2",
                                 "root," + QByteArray::number(m_source.toUtf8().size()),
                                 "target.txt,5"}));
    }

    void awkwardNames()
    {
        makeFile(m_source + QString::fromUtf8("quote\"d"), "1");
        makeFile(m_source + QStringLiteral("back\\slash"), "22");
        makeFile(m_source + QStringLiteral("line\nbreak"), "333");
        makeFile(m_source + QStringLiteral(":colon"), "4444");
        makeFolder(m_source + QStringLiteral("dir\\with\"odd"));
        // A name that is not UTF-8 is kept byte for byte.
        const QByteArray latin1Name = QFile::encodeName(m_source) + "caf\xe9";
        const int fd = ::open(latin1Name.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "55555", 5), 5);
        ::close(fd);
        QCOMPARE(scan(), ScanOutcome::Complete);

        QByteArrayList expected{"quote\xEF\xBC\x82"
                                "d,1",
                                "back\xEF\xBC\xBCslash,2",
                                "line\xE2\x90\xA4"
                                "break,3",
                                "\xEF\xBC\x9A"
                                "colon,4",
                                "caf\xe9,5"};
        std::sort(expected.begin(), expected.end());
        QCOMPARE(files(record(".f")), expected);
        QCOMPARE(record(".t"), QByteArray(":\\dir\xEF\xBC\xBCwith\xEF\xBC\x82odd\r\n"));
        QVERIFY(record(".f").contains("\":\\dir\xEF\xBC\xBCwith\xEF\xBC\x82odd\"\r\n"));
        ::unlink(latin1Name.constData()); // QTemporaryDir cannot name it
    }

    void fastDateText_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::newRow("zero") << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("zero date with time") << QDateTime(QDate(1899, 12, 30), QTime(13, 5, 9));
        QTest::newRow("day before zero") << QDateTime(QDate(1899, 12, 29), QTime(23, 59, 59));
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 31), QTime(0, 0));
        QTest::newRow("leap day") << QDateTime(QDate(2000, 2, 29), QTime(1, 2, 3));
        QTest::newRow("year 9999") << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59));
        QTest::newRow("year 10000") << QDateTime(QDate(10000, 1, 1), QTime(0, 0, 1));
    }

    void fastDateText()
    {
        // The scanner's own writer of date texts must agree with the record format's.
        QFETCH(QDateTime, value);
        const RecordDateTime dateTime = RecordDateTime::fromDateTime(value);
        char buffer[64];
        const char* end = scan::LocalTime::writeRecordText(buffer, dateTime);
        QCOMPARE(QByteArray(buffer, end - buffer), dateTime.toRecordText());
    }

    void statusesAndValues()
    {
        for (const char* name : {"a", "b", "c"})
            makeFile(m_source + name + QStringLiteral("/f"));
        QCOMPARE(scan(), ScanOutcome::Complete);
        const QStringList main = m_progress.statuses[0];
        QCOMPARE(main.mid(0, 4), (QStringList{"Starting task...", "Getting folders...",
                                              "One moment...", "Getting file lists... 1/4"}));
        QCOMPARE(main.last(), QStringLiteral("Cleaning up..."));
        QCOMPARE(m_progress.statuses[1].first(), QStringLiteral("Folders found: 2"));
        QVERIFY(m_progress.statuses[1].contains(QStringLiteral("Folders found: 4")));
        QVERIFY(m_progress.statuses[1].contains(m_source + "b"));
        // 70 / 4 = 17.5 per folder.
        QCOMPARE(m_progress.values(), (QList<int>{20, 29, 46, 64, 82, 99}));
        QCOMPARE(m_progress.yieldCount(), 5); // after the walk, then once per folder
    }

    void cancelLeavesNothing_data()
    {
        QTest::addColumn<int>("yield");
        QTest::addColumn<bool>("answerCancel");
        QTest::newRow("after the walk") << 1 << false;
        QTest::newRow("first folder") << 2 << false;
        QTest::newRow("last folder") << 4 << false;
        QTest::newRow("problem answered Cancel") << 0 << true;
    }

    void cancelLeavesNothing()
    {
        auto [yield, answerCancel] = test::fetch<int, bool>("yield", "answerCancel");
        writeFile(m_database + "Extensions.dat", "tmp\r\n");
        for (const char* name : {"a", "b"})
            makeFile(m_source + name + QStringLiteral("/f"));
        if (answerCancel) {
            // A folder without search permission lists its names but cannot stat them.
            if (::geteuid() == 0)
                QSKIP("permissions do not hold for root; the command-line test covers this");
            makeFile(m_source + "b/g");
            QFile::setPermissions(m_source + "b", QFile::ReadOwner);
            m_prompt.answer(PromptAnswer::Cancel);
        }
        m_progress.stopAtYield(yield);
        QCOMPARE(scan(), ScanOutcome::Cancelled);
        QFile::setPermissions(m_source + "b",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(databaseFiles(), QStringList{"Extensions.dat"});
    }

    void unreadableFolder()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not hold for root; the command-line test covers this");
        makeFile(m_source + "closed/inner/f");
        makeFile(m_source + "open/f");
        QFile::setPermissions(m_source + "closed", {});
        const ScanOutcome outcome = scan();
        QFile::setPermissions(m_source + "closed",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(outcome, ScanOutcome::Complete);
        QCOMPARE(m_prompt.titles(), QStringList{"Problem"});
        QCOMPARE(record(".t"), QByteArray(":\\closed\r\n:\\open\r\n"));
        QVERIFY(record(".f").contains("\":\\closed\"\r\n\":\\open\"\r\n\"f\","));
    }

    void pathsPastTheSystemLimit()
    {
        // 24 folders of 200 characters, one inside the other, made relative to their parent
        // because their full paths are too long for the system calls.
        const QByteArray name(200, 'd');
        int fd = ::open(QFile::encodeName(m_source).constData(), O_RDONLY | O_DIRECTORY);
        for (int depth = 0; depth < 24; ++depth) {
            QCOMPARE(::mkdirat(fd, name.constData(), 0755), 0);
            const int child = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = child;
        }
        const int file = ::openat(fd, "deepest.txt", O_WRONLY | O_CREAT, 0644);
        QCOMPARE(::write(file, "abc", 3), 3);
        ::close(file);
        ::close(fd);

        const ScanOutcome outcome = scan();
        QProcess::execute(QStringLiteral("rm"),
                          {QStringLiteral("-rf"), m_source}); // too deep for Qt
        QCOMPARE(outcome, ScanOutcome::Complete);
        QCOMPARE(record(".t").count("\r\n"), 24);
        const QByteArray deepest = QByteArray(":") + ("\\" + name).repeated(24);
        QVERIFY(record(".f").contains("\"" + deepest + "\"\r\n\"deepest.txt\",3,"));
    }

    // Folders whose files are examined in several pieces, and more folders than wait for the
    // workers at once: the record is still the one-pass record, byte for byte.
    void largeTrees_data()
    {
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("files");
        QTest::newRow("three pieces, the last of one file") << 1 << 4097;
        QTest::newRow("many small folders") << 700 << 3;
    }

    void largeTrees()
    {
        auto [folders, files] = test::fetch<int, int>("folders", "files");
        for (int f = 0; f < folders; ++f) {
            const QString folder =
                m_source + QStringLiteral("d%1/").arg(f % 7) + QStringLiteral("f%1").arg(f);
            makeFolder(folder);
            for (int i = 0; i < files; ++i)
                writeFile(folder + QStringLiteral("/n%1.txt").arg(i), QByteArray(i % 5, 'x'));
        }
        QCOMPARE(scan(), ScanOutcome::Complete);
        const ExpectedRecord expected(m_source.chopped(1));
        QCOMPARE(record(".t"), expected.tree);
        QCOMPARE(record(".f"), expected.list);
    }

    // A folder listed by its parent and gone before the walk reaches it keeps its line, with
    // the "Problem" message in its turn, as a folder that cannot be read.
    void folderGoneDuringWalk()
    {
        for (const char* name : {"a", "b", "c"})
            makeFile(m_source + name + QStringLiteral("/f"));
        bool removed = false;
        m_progress.onStatus = [&](int line, const QString& text) {
            // The root is being listed: none of its folders is opened yet.
            if (line == 1 && text == QStringLiteral("Folders found: 2") && !removed)
                removed = QDir(m_source + "c").removeRecursively();
        };
        QCOMPARE(scan(), ScanOutcome::Complete);
        QVERIFY(removed);
        QCOMPARE(m_prompt.titles(), QStringList{"Problem"});
        QCOMPARE(record(".t"), QByteArray(":\\a\r\n:\\b\r\n:\\c\r\n"));
        const QByteArray list = record(".f");
        QVERIFY(list.endsWith("\":\\c\"\r\n")); // the last folder, without files
        QCOMPARE(list.count("\"f\","), 2);
    }

private:
    ScanOutcome scan(bool foldersOnly = false, int mask = 6);
    QByteArray record(const char* extension) const;
    QStringList databaseFiles() const;

    QTemporaryDir m_dir;
    QString m_source; // ends with "/"
    QString m_database;
    ScriptedPrompt m_prompt;
    RecordingProgress m_progress;
};

ScanOutcome TestScanner::scan(bool foldersOnly, int mask)
{
    ScanRequest request;
    request.database = DatabaseFolder(m_database);
    request.recordPath = QStringLiteral(".\\Disk");
    request.sourcePath = m_source;
    request.foldersOnly = foldersOnly;
    request.attributeMask = mask;
    return catalogueDisk(request, m_progress, m_prompt);
}

QByteArray TestScanner::record(const char* extension) const
{
    return readFile(m_database + QStringLiteral("Disk") + QLatin1String(extension));
}

QStringList TestScanner::databaseFiles() const
{
    return QDir(m_database).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QTEST_GUILESS_MAIN(TestScanner)
#include "tst_scanner.moc"
