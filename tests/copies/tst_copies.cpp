#include "Fixtures.h"
#include "RecordingProgress.h"
#include "TestFiles.h"
#include "copies/CopiesEngine.h"
#include "copies/FingerprintFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using copies::Criterion;

// Copies by name and size, by date too and by content, and the files only on one disk.
class TestCopies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }
    void find_data();
    void find();
    void stops();
};

namespace {

// Rows as "group:key".
class GroupList final : public copies::CopiesSink
{
public:
    void clear() override { rows.clear(); }
    void addRow(const search::SearchRow& row, int group) override
    {
        rows.append(QString::number(group) + u':' + row.key);
    }
    QStringList rows;
};

// Disks .\A, .\B, ... each given as its file-list lines joined by "|". Their contents, when
// given, are the files' bytes joined by "|" ("-" for a file without a fingerprint); "stale"
// writes a side file made for other file-list bytes.
void writeDisks(const DatabaseFolder& folder, DiskTable& disks, const QByteArrayList& lists,
                const QByteArrayList& contents)
{
    for (qsizetype d = 0; d < lists.size(); ++d) {
        const QString path = QStringLiteral(".\\") + QChar(char16_t(u'A' + d));
        test::addDisk(folder, disks, path, {}, lists[d].split('|'));
        const QByteArray content = contents.value(d);
        if (content.isEmpty())
            continue;
        copies::Fingerprints prints;
        const bool stale = content == "stale";
        for (const QByteArray& bytes : (stale ? QByteArray("x") : content).split('|')) {
            prints.push_back(bytes == "-" ? std::nullopt
                                          : std::optional(copies::Fingerprint::of(bytes)));
        }
        const QByteArray list = test::readFile(folder.recordFile(path, ".f"));
        test::writeFile(folder.recordFile(path, copies::kFingerprintSuffix),
                        copies::fingerprintFileBytes(stale ? list + "\r\n" : list, prints));
    }
}

} // namespace

void TestCopies::find_data()
{
    QTest::addColumn<QByteArrayList>("lists");
    QTest::addColumn<QByteArrayList>("contents");
    QTest::addColumn<int>("criterion");
    QTest::addColumn<qint64>("minimumSize");
    QTest::addColumn<int>("onlyOn");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("summary");

    const int name = int(Criterion::NameAndSize);
    const int date = int(Criterion::NameSizeAndDate);
    const int content = int(Criterion::Content);
    const QByteArrayList threeDates = {"\":\"|\"d.txt\",7,#2026-01-01#",
                                       "\":\"|\"D.TXT\",7,#2026-01-02#",
                                       "\":\"|\"d.txt\",7,#2026-01-01 00:00:00#"};
    QTest::newRow("letter case") << QByteArrayList{"\":\"|\"X.JPG\",5,#2026-01-01#",
                                                   "\":\"|\"x.jpg\",5,#2025-01-01#"}
                                 << QByteArrayList{} << name << qint64(0) << 0
                                 << QStringList{"0:.\\A\\X.JPG", "0:.\\B\\x.jpg"}
                                 << " 1 group(s) of copies, 2 file(s), 0 KB in extra copies";
    QTest::newRow("sizes differ") << QByteArrayList{"\":\"|\"a.txt\",5,", "\":\"|\"a.txt\",6,"}
                                  << QByteArrayList{} << name << qint64(0) << 0 << QStringList{}
                                  << " 0 group(s) of copies, 0 file(s), 0 KB in extra copies";
    QTest::newRow("empty files") << QByteArrayList{"\":\"|\"e\",0,", "\":\"|\"e\",0,"}
                                 << QByteArrayList{} << name << qint64(0) << 0 << QStringList{}
                                 << QString();
    QTest::newRow("name and size")
        << threeDates << QByteArrayList{} << name << qint64(0) << 0
        << QStringList{"0:.\\A\\d.txt", "0:.\\B\\D.TXT", "0:.\\C\\d.txt"} << QString();
    QTest::newRow("same date splits") << threeDates << QByteArrayList{} << date << qint64(0) << 0
                                      << QStringList{"0:.\\A\\d.txt", "0:.\\C\\d.txt"} << QString();
    QTest::newRow("same disk, largest extra space first")
        << QByteArrayList{"\":\"|\"small\",10,|\"big\",3000,|\":\\Sub\"|\"small\",10,",
                          "\":\"|\"big\",3000,"}
        << QByteArrayList{} << name << qint64(0) << 0
        << QStringList{"0:.\\A\\big", "0:.\\B\\big", "1:.\\A\\small", "1:.\\A\\Sub\\small"}
        << " 2 group(s) of copies, 4 file(s), 3 KB in extra copies";
    QTest::newRow("accents, old code page")
        << QByteArrayList{"\":\"|\"\xC3\x89t\xC3\xA9.txt\",4,", "\":\"|\"\xC9T\xC9.TXT\",4,"}
        << QByteArrayList{} << name << qint64(0) << 0
        << QStringList{"0:.\\A\\\u00C9t\u00E9.txt", "0:.\\B\\\u00C9T\u00C9.TXT"} << QString();
    QTest::newRow("minimum size") << QByteArrayList{"\":\"|\"a\",50,|\"b\",200,",
                                                    "\":\"|\"a\",50,|\"b\",200,"}
                                  << QByteArrayList{} << name << qint64(100) << 0
                                  << QStringList{"0:.\\A\\b", "0:.\\B\\b"} << QString();
    QTest::newRow("only on: same disk copies do not count")
        << QByteArrayList{"\":\"|\"same\",5,|\"local\",6,|\"e\",0,|\":\\S\"|\"local\",6,|"
                          "\"other\",9,",
                          "\":\"|\"SAME\",5,|\"other\",8,|\"e\",0,"}
        << QByteArrayList{} << name << qint64(0) << 1
        << QStringList{"0:.\\A\\local", "0:.\\A\\e", "0:.\\A\\S\\local", "0:.\\A\\S\\other"}
        << " 4 file(s) only on this disk, 0 KB";
    QTest::newRow("only on: minimum size")
        << QByteArrayList{"\":\"|\"x\",5,|\"y\",0,", "\":\""} << QByteArrayList{} << name
        << qint64(1) << 1 << QStringList{"0:.\\A\\x"} << QString();
    QTest::newRow("only on: nothing")
        << QByteArrayList{"\":\"|\"x\",5,", "\":\"|\"X\",5,"} << QByteArrayList{} << name
        << qint64(0) << 1 << QStringList{} << "Every file of this disk is also on another disk.";
    QTest::newRow("content: renamed between disks")
        << QByteArrayList{"\":\"|\"a.doc\",3,", "\":\"|\"b.doc\",3,", "\":\"|\"a.doc\",3,"}
        << QByteArrayList{"abc", "abc", "xyz"} << content << qint64(0) << 0
        << QStringList{"0:.\\A\\a.doc", "0:.\\B\\b.doc"} << QString();
    QTest::newRow("content: stale side file, no fingerprint")
        << QByteArrayList{"\":\"|\"a\",3,", "\":\"|\"b\",3,", "\":\"|\"c\",3,"}
        << QByteArrayList{"abc", "stale", "-"} << content << qint64(0) << 0 << QStringList{}
        << " 0 group(s) of copies, 0 file(s), 0 KB in extra copies; 2 file(s) without a "
           "fingerprint left out";
    QTest::newRow("content: only on") << QByteArrayList{"\":\"|\"a\",3,|\"b\",3,", "\":\"|\"z\",3,"}
                                      << QByteArrayList{"abc|abd", "abc"} << content << qint64(0)
                                      << 1 << QStringList{"0:.\\A\\b"} << QString();
}

void TestCopies::find()
{
    QFETCH(QByteArrayList, lists);
    QFETCH(QByteArrayList, contents);
    QFETCH(int, criterion);
    QFETCH(qint64, minimumSize);
    QFETCH(int, onlyOn);
    QFETCH(QStringList, expected);
    QFETCH(QString, summary);

    QTemporaryDir dir;
    const DatabaseFolder folder(dir.path());
    DiskTable disks;
    writeDisks(folder, disks, lists, contents);
    copies::CopiesEngine engine(folder, disks);
    GroupList rows;
    NullProgress progress;
    const copies::CopiesQuery query{Criterion(criterion), minimumSize, onlyOn};
    QCOMPARE(engine.run(query, rows, progress), copies::CopiesEngine::End::Completed);
    QCOMPARE(rows.rows, expected);
    if (!summary.isEmpty())
        QCOMPARE(engine.summaryText(), summary);
}

void TestCopies::stops()
{
    QTemporaryDir dir;
    const DatabaseFolder folder(dir.path());
    DiskTable disks;
    writeDisks(folder, disks, {"\":\"|\"a\",5,", "\":\"|\"a\",5,"}, {});
    copies::CopiesEngine engine(folder, disks);
    GroupList rows;
    test::RecordingProgress progress;
    progress.stopAtYield(1);
    QCOMPARE(engine.run({}, rows, progress), copies::CopiesEngine::End::Stopped);
    QVERIFY(rows.rows.isEmpty());
    QVERIFY(engine.summaryText().startsWith(QLatin1String("Stopped.")));
}

QTEST_GUILESS_MAIN(TestCopies)
#include "tst_copies.moc"
