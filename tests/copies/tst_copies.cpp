#include "DataTable.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "copies/CopiesEngine.h"
#include "copies/FingerprintFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using copies::Criterion;

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

// Copies by name and size, by date too and by content, and the files only on one disk.
class TestCopies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

    void find_data()
    {
        // lists: each disk's file-list lines joined by "|", disks joined by " / "; contents: the
        // disks' contents as writeDisks takes them, joined by " / "; criterion: N(ame and size),
        // D(ate too), C(ontent); onlyOn: the disk's number, 0 for copies; expected: "group:key"
        // rows joined by " "; summary: empty when not checked.
        for (const char* column :
             {"lists", "contents", "criterion", "minimumSize", "onlyOn", "expected", "summary"})
            QTest::addColumn<QString>(column);
        test::addTextRows(
            {
                "letter case~\":\"|\"X.JPG\",5,#2026-01-01# / "
                "\":\"|\"x.jpg\",5,#2025-01-01#~~N~0~0~"
                "0:.\\A\\X.JPG 0:.\\B\\x.jpg~ 1 group(s) of copies, 2 file(s), 0 KB in extra "
                "copies",
                // Long names fold eight bytes at a time; the bytes next to the letters stay.
                "long names~\":\"|\"Hazy Holiday 2019.jpeg\",5,|\"abcdefg{\",6,|"
                "\"`bcdefgh.txt\",7, / \":\"|\"HAZY HOLIDAY 2019.JPEG\",5,|\"ABCDEFG[\",6,|"
                "\"@BCDEFGH.TXT\",7,~~N~0~0~0:.\\A\\Hazy Holiday 2019.jpeg 0:.\\B\\HAZY HOLIDAY "
                "2019.JPEG~",
                "sizes differ~\":\"|\"a.txt\",5, / \":\"|\"a.txt\",6,~~N~0~0~~"
                " 0 group(s) of copies, 0 file(s), 0 KB in extra copies",
                "empty files~\":\"|\"e\",0, / \":\"|\"e\",0,~~N~0~0~~",
                "same disk, largest extra space first~\":\"|\"small\",10,|\"big\",3000,|\":\\Sub\"|"
                "\"small\",10, / \":\"|\"big\",3000,~~N~0~0~0:.\\A\\big 0:.\\B\\big 1:.\\A\\small "
                "1:.\\A\\Sub\\small~ 2 group(s) of copies, 4 file(s), 3 KB in extra copies",
                "accents, old code page~\":\"|\"\xC3\x89t\xC3\xA9.txt\",4, / "
                "\":\"|\"%C9T%C9.TXT\",4,"
                "~~N~0~0~0:.\\A\\\xC3\x89t\xC3\xA9.txt 0:.\\B\\\xC3\x89T\xC3\x89.TXT~",
                "minimum size~\":\"|\"a\",50,|\"b\",200, / \":\"|\"a\",50,|\"b\",200,~~N~100~0~"
                "0:.\\A\\b 0:.\\B\\b~",
                "only on: same disk copies do not count~\":\"|\"same\",5,|\"local\",6,|\"e\",0,|"
                "\":\\S\"|\"local\",6,|\"other\",9, / "
                "\":\"|\"SAME\",5,|\"other\",8,|\"e\",0,~~N~0~1~"
                "0:.\\A\\local 0:.\\A\\e 0:.\\A\\S\\local 0:.\\A\\S\\other~"
                " 4 file(s) only on this disk, 0 KB",
                "only on: minimum size~\":\"|\"x\",5,|\"y\",0, / \":\"~~N~1~1~0:.\\A\\x~",
                "only on: nothing~\":\"|\"x\",5, / \":\"|\"X\",5,~~N~0~1~~"
                "Every file of this disk is also on another disk.",
                "content: renamed between disks~\":\"|\"a.doc\",3, / \":\"|\"b.doc\",3, / "
                "\":\"|\"a.doc\",3,~abc / abc / xyz~C~0~0~0:.\\A\\a.doc 0:.\\B\\b.doc~",
                "content: stale side file, no fingerprint~\":\"|\"a\",3, / \":\"|\"b\",3, / "
                "\":\"|\"c\",3,~abc / stale / -~C~0~0~~ 0 group(s) of copies, 0 file(s), 0 KB in "
                "extra copies; 2 file(s) without a fingerprint left out",
                "content: only on~\":\"|\"a\",3,|\"b\",3, / \":\"|\"z\",3,~abc|abd / abc~C~0~1~"
                "0:.\\A\\b~",
                // Equal names and sizes at three dates: the date criterion splits them.
                "name and size~\":\"|\"d.txt\",7,#2026-01-01# / \":\"|\"D.TXT\",7,#2026-01-02# / "
                "\":\"|\"d.txt\",7,#2026-01-01 00:00:00#~~N~0~0~"
                "0:.\\A\\d.txt 0:.\\B\\D.TXT 0:.\\C\\d.txt~",
                "same date splits~\":\"|\"d.txt\",7,#2026-01-01# / \":\"|\"D.TXT\",7,#2026-01-02# "
                "/ "
                "\":\"|\"d.txt\",7,#2026-01-01 00:00:00#~~D~0~0~0:.\\A\\d.txt 0:.\\C\\d.txt~",
            },
            u'~');
    }

    void find()
    {
        auto [lists, contents, criterion, minimumSize, onlyOn, expected, summary] =
            test::fetch<QString, QString, QString, QString, QString, QString, QString>(
                "lists", "contents", "criterion", "minimumSize", "onlyOn", "expected", "summary");

        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        DiskTable disks;
        auto disksOf = [](const QString& text) {
            QByteArrayList out;
            for (const QString& disk : text.split(QStringLiteral(" / "), Qt::SkipEmptyParts))
                out.append(disk.toUtf8().replace("%C9", "\xC9")); // a byte of an old code page
            return out;
        };
        writeDisks(folder, disks, disksOf(lists), disksOf(contents));
        copies::CopiesEngine engine(folder, disks);
        GroupList rows;
        NullProgress progress;
        const Criterion kinds[] = {Criterion::NameAndSize, Criterion::NameSizeAndDate,
                                   Criterion::Content};
        const copies::CopiesQuery query{kinds[QStringLiteral("NDC").indexOf(criterion)],
                                        minimumSize.toLongLong(), onlyOn.toInt()};
        QCOMPARE(engine.run(query, rows, progress), copies::CopiesEngine::End::Completed);
        QCOMPARE(rows.rows.join(u' '), expected);
        if (!summary.isEmpty())
            QCOMPARE(engine.summaryText(), summary);
    }

    // Enough files that every bucket of keys spills into its blocks: every copy is still found,
    // and the one file without a copy is the only one left on its own.
    void manyFiles()
    {
        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        DiskTable disks;
        QByteArray a = "\":\"";
        QByteArray b = "\":\"";
        for (int i = 0; i < 20000; ++i) {
            a += "|\"f" + QByteArray::number(i) + "\"," + QByteArray::number(100 + i) + ",";
            b += "|\"F" + QByteArray::number(i) + "\"," + QByteArray::number(i == 7 ? 1 : 100 + i) +
                 ",";
        }
        writeDisks(folder, disks, {a, b}, {});
        copies::CopiesEngine engine(folder, disks);
        GroupList rows;
        NullProgress progress;
        QCOMPARE(engine.run({}, rows, progress), copies::CopiesEngine::End::Completed);
        QCOMPARE(engine.summary().groups, 19999);
        QCOMPARE(engine.summary().files, 39998);
        QCOMPARE(engine.run({Criterion::NameAndSize, 0, 1}, rows, progress),
                 copies::CopiesEngine::End::Completed);
        QCOMPARE(rows.rows, QStringList{QStringLiteral("0:.\\A\\f7")});
    }

    void stops()
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
};

QTEST_GUILESS_MAIN(TestCopies)
#include "tst_copies.moc"
