#include "CliRun.h"
#include "DataTable.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "copies/CopiesEngine.h"
#include "copies/DiskVerifier.h"
#include "copies/FingerprintFile.h"
#include "scan/Scanner.h"
#include "store/Database.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace dovrin;
using copies::Criterion;
using test::fileLine;
using test::folderLine;

namespace {

const QDateTime kModified(QDate(2026, 3, 1), QTime(10, 15));

class DifferenceList final : public copies::VerifySink
{
public:
    void addDifference(copies::Difference kind, const search::SearchRow& row,
                       const QString& realPath) override
    {
        lines.append(copies::differenceName(kind) + u' ' +
                     (kind == copies::Difference::New ? realPath : row.key));
    }
    QStringList lines;
};

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
// given, are the files' bytes joined by "|" ("-" for a file without a fingerprint, "?" for a
// damaged line); "stale" writes a side file made for other file-list bytes.
void writeDisks(const DatabaseFolder& folder, DiskTable& disks, const QByteArrayList& lists,
                const QByteArrayList& contents)
{
    for (qsizetype d = 0; d < lists.size(); ++d) {
        const QString path = QStringLiteral(".\\") + QChar(char16_t(u'A' + d));
        test::addDisk(folder, disks, path, {}, lists[d].split('|'));
        const QByteArray content = contents.value(d);
        if (content == "gone") { // its file list deleted after the disk was loaded
            QFile::remove(folder.recordFile(path, ".f"));
            continue;
        }
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
                        copies::fingerprintFileBytes(stale ? list + "\r\n" : list, prints)
                            .replace(copies::Fingerprint::of("?").hex(), "not a fingerprint"));
    }
}

} // namespace

// Copies by name and size, by date too and by content, and the files only on one disk;
// fingerprints written by the scanner into the side file, and a disk verified against its
// catalogue; and dovrin-cli copies, only-on and verify: rows on stdout, the summary on stderr,
// and the exit statuses of refused input, of a disk that is not there and of a disk that
// differs.
class TestCopies : public QObject
{
    Q_OBJECT

private:
    test::CliRun run(const QStringList& args)
    {
        return test::runCli(m_dir.path() + QStringLiteral("/db"), args,
                            QStringLiteral("en_GB.UTF-8"));
    }
    QTemporaryDir m_dir; // the command line's database and source
    ScanOutcome scan(bool fingerprint, test::RecordingProgress& progress);
    QString source() const { return m_scanDir->path() + QStringLiteral("/src/"); }

    std::unique_ptr<QTemporaryDir> m_scanDir; // the fingerprint tests' database and source
    DatabaseFolder m_database;
    test::ScriptedPrompt m_prompt;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        const DatabaseFolder folder(m_dir.path() + QStringLiteral("/db/"));
        QDir().mkpath(folder.root());
        DiskTable disks;
        test::addDisk(folder, disks, QStringLiteral(".\\A"), {},
                      {folderLine(":"), fileLine("x.jpg", 5000), fileLine("big.iso", 2000000)});
        test::addDisk(folder, disks, QStringLiteral(".\\B"), {},
                      {folderLine(":"), fileLine("X.JPG", 5000), fileLine("big.iso", 2000000),
                       fileLine("other", 7)});
        // A disk with fingerprints, then one byte of a file changed in place, its time put back.
        const QString changed = m_dir.path() + QStringLiteral("/src/");
        test::makeFile(changed + QStringLiteral("f.txt"), "hello", kModified);
        QCOMPARE(run({"catalogue", changed, "C", "--fingerprint"}).status, 0);
        test::makeFile(changed + QStringLiteral("f.txt"), "hellp", kModified);
    }

    void init()
    {
        m_scanDir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_scanDir->path() + QStringLiteral("/db"));
        m_database = DatabaseFolder(m_scanDir->path() + QStringLiteral("/db/"));
        m_prompt.clear();
        test::makeFile(source() + QStringLiteral("empty"), "", kModified);
        test::makeFile(source() + QStringLiteral("abc.txt"), "abc", kModified);
        test::makeFile(source() + QStringLiteral("Sub/b.bin"), "12345678", kModified);
        test::makeFile(source() + QStringLiteral("Sub/c.txt"), "ccc", kModified);
    }

    void sideFile()
    {
        QVERIFY(::symlink("abc.txt", QFile::encodeName(source() + QStringLiteral("link"))) == 0);
        test::makeFile(source() + QStringLiteral("q\"t"), "quote", kModified); // recorded as q＂t
        test::RecordingProgress progress;
        // Every file opened is closed again: a scan of many files would run out otherwise.
        const auto descriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        const uint open = descriptors();
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);
        QCOMPARE(descriptors(), open);
        const QByteArray list = test::readFile(m_database.recordFile(".\\Disk", ".f"));
        const QList<QByteArray> lines =
            test::readFile(m_database.recordFile(".\\Disk", copies::kFingerprintSuffix))
                .split('\n');
        QCOMPARE(lines.value(0), QByteArray("Dovrin fingerprints XXH3-128\r"));
        QCOMPARE(lines.value(1), QByteArray::number(list.size()) + ' ' +
                                     copies::Fingerprint::of(list).hex() + '\r');
        // One line per file line, in its order; the digits xxhsum -H2 prints; a link by its target.
        QHash<QByteArray, QByteArray> expected = {
            {"empty", "99aa06d3014798d86001c324468d497f"},
            {"abc.txt", "06b05ab6733a618578af5f94892f3950"},
            {"link", copies::Fingerprint::of("abc.txt").hex()},
            {"b.bin", copies::Fingerprint::of("12345678").hex()},
            {"c.txt", copies::Fingerprint::of("ccc").hex()},
            {"q\xEF\xBC\x82t", copies::Fingerprint::of("quote").hex()}};
        int line = 2;
        for (const QByteArray& item : list.split('\n')) {
            if (item.startsWith("\":") || item.trimmed().isEmpty())
                continue;
            const QByteArray name = item.mid(1, item.indexOf('"', 1) - 1);
            QCOMPARE(lines.value(line++), expected.value(name) + '\r');
        }
        QCOMPARE(line, 8);
        QVERIFY(progress.statuses[0].contains(QStringLiteral("Fingerprinting file contents...")));
        QVERIFY(m_prompt.requests().isEmpty());
    }

    // An update takes over the fingerprint of a file whose line is unchanged, even where its
    // bytes are not (verifying is what reads every file again), past files gone since; new
    // and changed files are read.
    void updateKeepsUnchangedLines()
    {
        test::RecordingProgress progress;
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);
        for (const char* suffix : {".f", ".fp"}) {
            const QString file = m_database.recordFile(QStringLiteral(".\\Disk"), suffix);
            QVERIFY(QFile::rename(file, file + QStringLiteral(".old")));
        }
        test::makeFile(source() + QStringLiteral("abc.txt"), "abd", kModified);
        QVERIFY(QFile::remove(source() + QStringLiteral("Sub/b.bin")));
        test::makeFile(source() + QStringLiteral("Sub/c.txt"), "ccd", kModified);
        test::makeFile(source() + QStringLiteral("Sub/a.new"), "new", kModified);
        test::makeFile(source() + QStringLiteral("empty"), "grown", kModified);
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);

        const QList<QByteArray> prints =
            test::readFile(m_database.recordFile(".\\Disk", copies::kFingerprintSuffix))
                .split('\n');
        QHash<QByteArray, QByteArray> byName;
        int line = 2;
        for (const QByteArray& item :
             test::readFile(m_database.recordFile(".\\Disk", ".f")).split('\n')) {
            if (!item.startsWith("\":") && !item.trimmed().isEmpty())
                byName.insert(item.mid(1, item.indexOf('"', 1) - 1),
                              prints.value(line++).trimmed());
        }
        const QHash<QByteArray, QByteArray> expected = {
            {"abc.txt", copies::Fingerprint::of("abc").hex()},
            {"c.txt", copies::Fingerprint::of("ccc").hex()},
            {"a.new", copies::Fingerprint::of("new").hex()},
            {"empty", copies::Fingerprint::of("grown").hex()}};
        QCOMPARE(byName, expected);
    }

    // dovrin-cli update-disk reads contents when asked, and keeps a disk's fingerprints.
    void cliUpdateDisk()
    {
        const auto cli = [&](const QStringList& args) {
            return test::runCli(m_database.root(), args, QStringLiteral("en_GB.UTF-8")).status;
        };
        const QString side = m_database.recordFile(".\\D", copies::kFingerprintSuffix);
        QCOMPARE(cli({"catalogue", source(), "D"}), 0);
        QCOMPARE(cli({"update-disk", "./D"}), 0);
        QVERIFY(!QFile::exists(side));
        for (const QStringList& args : {QStringList{"update-disk", "./D", "--fingerprint"},
                                        QStringList{"update-disk", "./D"}}) {
            QCOMPARE(cli(args), 0);
            QVERIFY(QFile::exists(side));
        }
    }

    void unreadableFile()
    {
        test::RecordingProgress progress;
        // Listed, then gone before it is read.
        progress.onStatus = [this](int, const QString& text) {
            if (text == QLatin1String("Fingerprinting file contents..."))
                QFile::remove(source() + QStringLiteral("Sub/c.txt"));
        };
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);
        const QByteArray side = test::readFile(m_database.recordFile(".\\Disk", ".fp"));
        QCOMPARE(side.count("\r\n-\r\n"), 1);
        QCOMPARE(m_prompt.texts(),
                 QStringList{" 1 file(s) could not be read and have no fingerprint."});
    }

    // Files to fingerprint but no byte to read: the progress still ends full.
    void onlyEmptyFiles()
    {
        QDir(source() + QStringLiteral("Sub")).removeRecursively();
        QFile::remove(source() + QStringLiteral("abc.txt"));
        test::RecordingProgress progress;
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);
        QCOMPARE(progress.values().last(), 100);
        QVERIFY(test::readFile(m_database.recordFile(".\\Disk", copies::kFingerprintSuffix))
                    .endsWith("99aa06d3014798d86001c324468d497f\r\n"));
    }

    void verify_data()
    {
        for (const char* column : {"change", "withPrints", "lines"})
            QTest::addColumn<QString>(column);
        test::addTextRows({
            "unchanged||fp|",
            "size|size|fp|changed .\\Disk\\abc.txt",
            "time|time|fp|changed .\\Disk\\abc.txt",
            "content|content|fp|damaged .\\Disk\\Sub\\b.bin",
            "content unseen|content||",
            "new and missing|new and missing||missing .\\Disk\\Sub\\c.txt,new @new.txt",
            "folder gone|folder gone||missing .\\Disk\\Sub\\,missing .\\Disk\\Sub\\b.bin,"
            "missing .\\Disk\\Sub\\c.txt",
            "unreadable|unreadable|fp|unreadable .\\Disk\\Sub\\c.txt",
            // An empty folder is all there is of an empty disk, not a drive without its disk.
            "empty disk|empty disk||",
        });
    }

    void verify()
    {
        auto [change, withPrints, lines] =
            test::fetch<QString, QString, QString>("change", "withPrints", "lines");
        const bool fingerprints = withPrints == u"fp";
        QStringList expected = lines.split(u',', Qt::SkipEmptyParts);
        expected.replaceInStrings(QStringLiteral("@"), source()); // each row has its own folder

        if (change == QLatin1String("empty disk")) {
            QDir(source()).removeRecursively();
            QDir().mkpath(source());
        }
        test::RecordingProgress scanProgress;
        QCOMPARE(scan(fingerprints, scanProgress), ScanOutcome::Complete);
        const QString abc = source() + QStringLiteral("abc.txt");
        if (change == QLatin1String("size"))
            test::makeFile(abc, "abcd", kModified);
        else if (change == QLatin1String("time"))
            test::makeFile(abc, "abc", kModified.addSecs(3600));
        else if (change == QLatin1String("content")) // a byte changed in place, its time put back
            test::makeFile(source() + QStringLiteral("Sub/b.bin"), "12345679", kModified);
        else if (change == QLatin1String("new and missing")) {
            QFile::remove(source() + QStringLiteral("Sub/c.txt"));
            test::makeFile(source() + QStringLiteral("new.txt"));
        } else if (change == QLatin1String("folder gone"))
            QDir(source() + QStringLiteral("Sub")).removeRecursively();

        Database database(m_prompt);
        database.load(m_database);
        copies::DiskVerifier verifier(m_database, database.disks(), m_prompt);
        test::RecordingProgress progress;
        if (change == QLatin1String("unreadable")) {
            progress.onStatus = [this](int, const QString& text) {
                if (text == QLatin1String("Fingerprinting file contents..."))
                    QFile::remove(source() + QStringLiteral("Sub/c.txt"));
            };
        }
        DifferenceList differences;
        const copies::VerifyResult result = verifier.run(1, 6, differences, progress);
        QCOMPARE(differences.lines, expected);
        QCOMPARE(result.end, expected.isEmpty() ? copies::VerifyResult::End::Matches
                                                : copies::VerifyResult::End::Differs);
        QCOMPARE(result.withFingerprints, fingerprints);
        // The record is never changed.
        QCOMPARE(QDir(m_database.root()).entryList(QDir::Files).size(), fingerprints ? 4 : 3);
    }

    void diskNotThere()
    {
        test::RecordingProgress progress;
        QCOMPARE(scan(false, progress), ScanOutcome::Complete);
        QDir(source()).removeRecursively();
        Database database(m_prompt);
        database.load(m_database);
        m_prompt.clear();
        copies::DiskVerifier verifier(m_database, database.disks(), m_prompt);
        DifferenceList differences;
        QCOMPARE(verifier.run(1, 6, differences, progress).end,
                 copies::VerifyResult::End::NotThere);
        QVERIFY(differences.lines.isEmpty());
        QCOMPARE(m_prompt.titles(), (QStringList{"Verify 'Disk'", "Disk not found"}));
        QVERIFY(m_prompt.texts().first().startsWith("Please insert volume 'Disk' in drive " +
                                                    source()));
    }

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
                "letter case~\":\"|\"XZ.JPG\",5,#2026-01-01# / "
                "\":\"|\"xz.jpg\",5,#2025-01-01#~~N~0~0~"
                "0:.\\A\\XZ.JPG 0:.\\B\\xz.jpg~ 1 group(s) of copies, 2 file(s), 0 KB in extra "
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
                // A letter may upper-case to two ("ß" to "SS").
                "accents, old code page~\":\"|\"\xC3\x89t\xC3\xA9.txt\",4,|\"stra\xC3\x9F"
                "e\",6, / "
                "\":\"|\"%C9T%C9.TXT\",4,|\"STRASSE\",6,~~N~0~0~0:.\\A\\stra\xC3\x9F"
                "e "
                "0:.\\B\\STRASSE 1:.\\A\\\xC3\x89t\xC3\xA9.txt 1:.\\B\\\xC3\x89T\xC3\x89.TXT~",
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
                "a file list gone since loading~\":\"|\"a\",3, / \":\"|\"a\",3, / \":\"|\"a\",3,"
                "~gone~N~0~0~0:.\\B\\a 0:.\\C\\a~",
                "content: renamed between disks~\":\"|\"a.doc\",3, / \":\"|\"b.doc\",3, / "
                "\":\"|\"a.doc\",3,~abc / abc / xyz~C~0~0~0:.\\A\\a.doc 0:.\\B\\b.doc~",
                "content: stale side file, no fingerprint~\":\"|\"a\",3, / \":\"|\"b\",3, / "
                "\":\"|\"c\",3,~abc / stale / -~C~0~0~~ 0 group(s) of copies, 0 file(s), 0 KB in "
                "extra copies; 2 file(s) without a fingerprint left out",
                "content: damaged side file~\":\"|\"a\",3, / \":\"|\"b\",3,|\"c\",3,~abc / "
                "abc|?~C~0~0~~"
                " 0 group(s) of copies, 0 file(s), 0 KB in extra copies; 2 file(s) without a "
                "fingerprint left out",
                // Only the disk's own files without a fingerprint are counted.
                "content: only on~\":\"|\"a\",3,|\"b\",3,|\"n\",4, / \":\"|\"z\",3,|\"m\",4,|"
                "\"k\",4,~abc|abd|- / abc|-|-~C~0~1~0:.\\A\\b~ 1 file(s) only on this disk, 0 KB; "
                "1 "
                "file(s) without a fingerprint left out",
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

    // Copies far into a long file list, in later folders: the second reading jumps to them.
    void copiesFarIn_data()
    {
        test::table<bool>({"content"}, {{"name and size", false}, {"content", true}});
    }

    void copiesFarIn()
    {
        const auto [content] = test::fetch<bool>("content");
        QByteArray a = "\":\"", b = "\":\"", aBytes, bBytes;
        for (int i = 0; i < 300; ++i) {
            const QByteArray n = QByteArray::number(i);
            const QByteArray size = QByteArray::number(100 + i);
            if (i % 60 == 0)
                a += "|\":\\D" + QByteArray::number(i / 60) + '"';
            a += "|\"f" + n + "\"," + size + ',';
            aBytes += (i ? "|c" : "c") + n;
            if (i == 64 || i == 70 || i == 128 || i == 299) {
                b += "|\"" + QByteArray(content ? "x" : "F") + n + "\"," + size + ',';
                bBytes += (bBytes.isEmpty() ? "c" : "|c") + n;
            }
        }
        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        DiskTable disks;
        writeDisks(folder, disks, {a, b}, {aBytes, bBytes});
        copies::CopiesEngine engine(folder, disks);
        GroupList rows;
        NullProgress progress;
        const copies::CopiesQuery query{content ? Criterion::Content : Criterion::NameAndSize};
        QCOMPARE(engine.run(query, rows, progress), copies::CopiesEngine::End::Completed);
        QCOMPARE(rows.rows.join(u' '),
                 QStringLiteral("0:.\\A\\D4\\f299 0:.\\B\\@299 1:.\\A\\D2\\f128 1:.\\B\\@128 "
                                "2:.\\A\\D1\\f70 2:.\\B\\@70 3:.\\A\\D1\\f64 3:.\\B\\@64")
                     .replace(u'@', content ? u'x' : u'F'));
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

    void commandLine_data()
    {
        // args: joined by " "; lines: stdout, each line up to its second tab, joined by "|";
        // errors: a part of stderr.
        for (const char* column : {"args", "exitCode", "lines", "errors"})
            QTest::addColumn<QString>(column);
        test::addTextRows(
            {
                "copies;copies;0;.\\A\\big.iso\tbig.iso|.\\B\\big.iso\tbig.iso||.\\A\\x.jpg\tx.jpg|"
                ".\\B\\X.JPG\tX.JPG;2 group(s) of copies, 4 file(s), 1,958 KB in extra copies\n",
                "same date;copies --same-date;0;.\\A\\big.iso\tbig.iso|.\\B\\big.iso\tbig.iso||"
                ".\\A\\x.jpg\tx.jpg|.\\B\\X.JPG\tX.JPG;2 group(s)",
                "only-on;only-on ./B;0;.\\B\\other\tother;1 file(s) only on this disk, 0 KB",
                "only-on, minimum size;only-on .\\B --min-size 8;0;;Every file of this disk is "
                "also on "
                "another disk.",
                "verify;verify ./C;3;damaged\t.\\C\\f.txt;0 missing, 0 new",
                "verify, disk not there;verify ./A;1;;Please insert volume 'A' in drive "
                "/media/disk/",
                "bad size;copies --min-size ten;2;;usage:",
                "size missing;copies --min-size;2;;usage:",
                "unknown option;only-on ./A --fast;2;;usage:",
                "two disks;verify ./A ./B;2;;usage:",
                "unknown disk;verify Nowhere;2;;there is no disk Nowhere",
            },
            u';');
    }

    void commandLine()
    {
        auto [args, exitCode, lines, errors] =
            test::fetch<QString, QString, QString, QString>("args", "exitCode", "lines", "errors");

        const test::CliRun cli = run(args.split(u' '));
        QCOMPARE(cli.status, exitCode.toInt());
        QStringList got;
        for (const QByteArray& line : cli.out.split('\n'))
            got.append(QString::fromUtf8(line).section(u'\t', 0, 1));
        got.removeLast(); // after the last line end
        QCOMPARE(got.join(u'|'), lines);
        QVERIFY2(cli.err.contains(errors.toUtf8()), cli.err.constData());
    }
};

ScanOutcome TestCopies::scan(bool fingerprint, test::RecordingProgress& progress)
{
    ScanRequest request;
    request.database = m_database;
    request.recordPath = QStringLiteral(".\\Disk");
    request.sourcePath = source();
    request.fingerprint = fingerprint;
    return catalogueDisk(request, progress, m_prompt);
}

QTEST_GUILESS_MAIN(TestCopies)
#include "tst_copies.moc"
