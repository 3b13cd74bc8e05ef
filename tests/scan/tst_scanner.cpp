#include "DataTable.h"
#include "FailingCalls.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "scan/ExtensionList.h"
#include "scan/LocalTime.h"
#include "scan/Scanner.h"

#include <QTemporaryDir>
#include <QTest>
#include <ctime>
#include <fcntl.h>
#include <optional>
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

    // Some file systems list entries without their types; each is then examined on its own.
    void recordMatchesFormat_data()
    {
        test::table<bool>({"typesHidden"}, {{"entry types listed", false}, {"types hidden", true}});
    }

    void recordMatchesFormat()
    {
        const auto [typesHidden] = test::fetch<bool>("typesHidden");
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

        {
            std::optional<EntryTypesHidden> hidden;
            if (typesHidden)
                hidden.emplace();
            QCOMPARE(scan(), ScanOutcome::Complete);
        }
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

    void foldersOnly()
    {
        makeFolder(m_source + "a/b");
        makeFile(m_source + "a/file.txt");
        makeFile(m_source + "top.txt");
        QCOMPARE(scan(true), ScanOutcome::Complete);
        QCOMPARE(record(".f"), QByteArray("\":\"\r\n\":\\a\"\r\n\":\\a\\b\"\r\n"));
        QCOMPARE(record(".t"), QByteArray(":\\a\r\n:\\a\\b\r\n"));
        QVERIFY(record(".i").endsWith("\r\n 1 \r\n"));
    }

    void extensionFilter()
    {
        // Files only, in every folder; the matching rule is extensionListRejects's.
        writeFile(m_database + "Extensions.dat", "tmp\r\n");
        for (const char* name : {"a.tmp/b.tmp", "a.tmp/keep.txt"})
            makeFile(m_source + name);
        QCOMPARE(scan(), ScanOutcome::Complete);
        QCOMPARE(files(record(".f")), QByteArrayList{"keep.txt,1"});
    }

    void extensionListReading_data()
    {
        const QStringList two{"tmp", "bak"};
        QByteArray many;
        QStringList first100;
        for (int i = 0; i < 120; ++i) {
            many += "e" + QByteArray::number(i) + "\r\n";
            if (i < 100)
                first100 << QStringLiteral("e%1").arg(i);
        }
        test::table<QByteArray, QStringList>(
            {"file", "items"}, {{"quoted", "\"tmp\"\r\n\"bak\"\r\n", two},
                                {"empty third ends the list", "tmp\r\nbak\r\n\r\nold\r\n", two},
                                {"comma gives two", "tmp,bak\r\nold\r\n", {"tmp", "bak", "old"}},
                                {"bare LF", "tmp\nbak", two},
                                {"windows-1252", "\xe9t\xe9\r\n", {QStringLiteral("été")}},
                                {"empty file", "", {}},
                                {"at most 100", many, first100}});
    }

    void extensionListReading()
    {
        auto [file, items] = test::fetch<QByteArray, QStringList>("file", "items");
        const DatabaseFolder folder(m_database);
        QCOMPARE(ExtensionList::read(folder).count(), 0); // missing file: nothing filtered
        writeFile(m_database + "Extensions.dat", file);
        QCOMPARE(ExtensionList::read(folder).items(), items);
    }

    void extensionListRejects_data()
    {
        test::table<QByteArray, bool>({"name", "rejected"},
                                      {{"plain ending", "notmp", true},
                                       {"case kept", "REPORT.TMP", false},
                                       {"exact", "tmp", true},
                                       {"shorter than item", "mp", false},
                                       {"utf8 item", "photo.\xc3\xa9t\xc3\xa9", true}});
    }

    void extensionListRejects()
    {
        auto [name, rejected] = test::fetch<QByteArray, bool>("name", "rejected");
        const ExtensionList list({"tmp", QString::fromUtf8("\xc3\xa9t\xc3\xa9")});
        QCOMPARE(list.rejects(name), rejected);
    }

    void extensionListWriteReadsBack()
    {
        const DatabaseFolder folder(m_database);
        QVERIFY(ExtensionList({"tmp", "bak"}).write(folder));
        QCOMPARE(readFile(m_database + "Extensions.dat"), QByteArray("tmp\r\nbak\r\n"));
        QCOMPARE(ExtensionList::readLines(folder), (QStringList{"tmp", "bak"}));
        QVERIFY(ExtensionList().write(folder));
        QCOMPARE(readFile(m_database + "Extensions.dat"), QByteArray());
        QCOMPARE(databaseFiles().size(), 1);
    }

    void attributeMask_data()
    {
        const QByteArrayList hidden{".dotfile,1", ".inner,1"}, pipe{"pipe,0"};
        test::table<int, QByteArrayList>(
            {"mask", "files"},
            {{"hidden", 2, hidden}, {"system", 4, pipe}, {"both", 6, hidden + pipe}});
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
        QCOMPARE(scan(), ScanOutcome::Complete);
        QCOMPARE(record(".t"), QByteArray(":\\a\r\n"));
        // Each link is recorded once as a file of its own: the length of its target as size.
        QCOMPARE(files(record(".f")),
                 (QByteArrayList{"file-link,10", "loop,2",
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

        // The characters Windows forbids become their full-width forms, a line feed the NL sign.
        QByteArrayList expected{"quote\357\274\202d,1", "back\357\274\274slash,2",
                                "line\342\220\244break,3", "\357\274\232colon,4", "caf\351,5"};
        std::sort(expected.begin(), expected.end());
        QCOMPARE(files(record(".f")), expected);
        QCOMPARE(record(".t"), QByteArray(":\\dir\xEF\xBC\xBCwith\xEF\xBC\x82odd\r\n"));
        QVERIFY(record(".f").contains("\":\\dir\xEF\xBC\xBCwith\xEF\xBC\x82odd\"\r\n"));
        ::unlink(latin1Name.constData()); // QTemporaryDir cannot name it
    }

    void fastDateText_data()
    {
        const QDate zero(1899, 12, 30);
        test::table<QDateTime>({"value"},
                               {{"zero", QDateTime(zero, QTime(0, 0))},
                                {"zero date with time", QDateTime(zero, QTime(13, 5, 9))},
                                {"day before zero", QDateTime(zero.addDays(-1), QTime(23, 59, 59))},
                                {"leap day", QDateTime(QDate(2000, 2, 29), QTime(1, 2, 3))},
                                {"year 10000", QDateTime(QDate(10000, 1, 1), QTime(0, 0, 1))}});
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

    // On a day when the clocks change, times before and after the change get their own offset.
    void localTimeOnADaylightSavingDay()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        scan::LocalTime local;
        const time_t day = 1774742400; // 2026-03-29 00:00 UTC; the clocks go forward at 01:00
        const QByteArray texts =
            local.convert(day + 1800).toRecordText() + local.convert(day + 43200).toRecordText();
        qunsetenv("TZ");
        tzset();
        QCOMPARE(texts, QByteArray("#2026-03-29 01:30:00##2026-03-29 14:00:00#"));
    }

    void cancelLeavesNothing_data()
    {
        test::table<int>({"yield"}, {{"after the walk", 1}, {"last folder", 4}});
    }

    void cancelLeavesNothing()
    {
        QFETCH(int, yield);
        writeFile(m_database + "Extensions.dat", "tmp\r\n");
        for (const char* name : {"a", "b"})
            makeFile(m_source + name + QStringLiteral("/f"));
        m_progress.stopAtYield(yield);
        QCOMPARE(scan(), ScanOutcome::Cancelled);
        QCOMPARE(databaseFiles(), QStringList{"Extensions.dat"});
    }

    // Folders whose files are examined in several pieces, and more folders than wait for the
    // workers at once: the record is still the one-pass record, byte for byte.
    void largeTrees_data()
    {
        test::table<int, int>(
            {"folders", "files"},
            {{"three pieces, the last of one file", 1, 4097}, {"many small folders", 700, 3}});
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
