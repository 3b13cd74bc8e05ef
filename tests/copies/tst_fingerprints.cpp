#include "DataTable.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "copies/DiskVerifier.h"
#include "copies/FingerprintFile.h"
#include "scan/Scanner.h"
#include "store/Database.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace dovrin;

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

} // namespace

// Fingerprints written by the scanner into the side file, and a disk verified against its
// catalogue.
class TestFingerprints : public QObject
{
    Q_OBJECT

private Q_SLOTS:

private:
    ScanOutcome scan(bool fingerprint, test::RecordingProgress& progress);
    QString source() const { return m_dir->path() + QStringLiteral("/src/"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    DatabaseFolder m_database;
    test::ScriptedPrompt m_prompt;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_dir->path() + QStringLiteral("/db"));
        m_database = DatabaseFolder(m_dir->path() + QStringLiteral("/db/"));
        m_prompt.clear();
        test::makeFile(source() + QStringLiteral("empty"), "", kModified);
        test::makeFile(source() + QStringLiteral("abc.txt"), "abc", kModified);
        test::makeFile(source() + QStringLiteral("Sub/b.bin"), "12345678", kModified);
        test::makeFile(source() + QStringLiteral("Sub/c.txt"), "ccc", kModified);
    }

    void sideFile()
    {
        QVERIFY(::symlink("abc.txt", QFile::encodeName(source() + QStringLiteral("link"))) == 0);
        test::RecordingProgress progress;
        QCOMPARE(scan(true, progress), ScanOutcome::Complete);
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
            {"c.txt", copies::Fingerprint::of("ccc").hex()}};
        int line = 2;
        for (const QByteArray& item : list.split('\n')) {
            if (item.startsWith("\":") || item.trimmed().isEmpty())
                continue;
            const QByteArray name = item.mid(1, item.indexOf('"', 1) - 1);
            QCOMPARE(lines.value(line++), expected.value(name) + '\r');
        }
        QCOMPARE(line, 7);
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
        });
    }

    void verify()
    {
        auto [change, withPrints, lines] =
            test::fetch<QString, QString, QString>("change", "withPrints", "lines");
        const bool fingerprints = withPrints == u"fp";
        QStringList expected = lines.split(u',', Qt::SkipEmptyParts);
        expected.replaceInStrings(QStringLiteral("@"), source()); // each row has its own folder

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
};

ScanOutcome TestFingerprints::scan(bool fingerprint, test::RecordingProgress& progress)
{
    ScanRequest request;
    request.database = m_database;
    request.recordPath = QStringLiteral(".\\Disk");
    request.sourcePath = source();
    request.fingerprint = fingerprint;
    return catalogueDisk(request, progress, m_prompt);
}

QTEST_GUILESS_MAIN(TestFingerprints)
#include "tst_fingerprints.moc"
