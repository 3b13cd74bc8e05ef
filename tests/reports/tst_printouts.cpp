#include "DataTable.h"
#include "PainterCanvas.h"
#include "PdfDocument.h"
#include "PdfText.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "reports/CataloguePrintout.h"
#include "reports/SearchPrintout.h"
#include "reports/TextExport.h"
#include "store/Database.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using reports::CataloguePrintout;
using reports::TextExport;
using test::PdfWord;

namespace {

// Printouts are drawn into PDF files with a quarter-inch printable margin: a position of
// x twips stands x / 20 points right of that margin.
constexpr double kMargin = 18;
constexpr double kTolerance = 0.6;

// "x|text|x|text..." for one printed line: each text and the x it starts at, in twips.
using Lines = QStringList;

class FixedResults final : public reports::PrintedResults
{
public:
    QList<reports::PrintedResult> rows;
    int count() const override { return int(rows.size()); }
    reports::PrintedResult at(int index) const override { return rows.at(index); }
};

} // namespace

class TestPrintouts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_db;
    QTemporaryDir m_out;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Database> m_database;
    const QDateTime m_printed{QDate(2026, 12, 6), QTime(9, 30)};

    QString pdf(const char* name) { return m_out.filePath(QLatin1String(name)); }
    // What `work` gives with `locale` as the default one; the old default is back afterwards.
    template <typename Work> static auto inLocale(const QLocale& locale, Work&& work)
    {
        const QLocale before;
        QLocale::setDefault(locale);
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        return work();
    }
    // An expected text listing in tests/data/reports/listings (en_GB locale).
    QString expected(const QString& name)
    {
        return QStringLiteral(DOVRIN_TEST_DATA "/reports/listings/") + name;
    }

    // Every text of every line stands at its x, the texts of a line side by side and the
    // lines in order, running on to further pages.
    void checkLines(const QList<PdfWord>& words, const Lines& lines)
    {
        qsizetype from = 0;
        int page = 1;
        double y = -1;
        for (const QString& line : lines) {
            const QStringList parts = line.split(u'|');
            double lineY = -1;
            for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
                const qsizetype at = test::findText(words, parts[k + 1], from);
                QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing: ") + parts[k + 1]));
                const PdfWord& word = words[at];
                QVERIFY2(qAbs(word.x - (kMargin + parts[k].toDouble() / 20)) < kTolerance,
                         qPrintable(parts[k + 1] + QStringLiteral(" at x %1").arg(word.x)));
                if (lineY < 0) {
                    QVERIFY2(word.page > page || (word.page == page && word.y > y),
                             qPrintable(QStringLiteral("out of order: ") + parts[k + 1]));
                    page = word.page;
                    lineY = y = word.y;
                }
                QCOMPARE(word.page, page);
                QVERIFY2(qAbs(word.y - lineY) < 0.5, qPrintable(parts[k + 1]));
                from = at + 1;
            }
        }
    }

    bool draw(const QString& path, const std::function<bool(reports::PageCanvas&)>& print)
    {
        const auto writer = platform::openPdfDocument(path, QStringLiteral("test"));
        platform::PainterCanvas canvas(*writer);
        const bool drawn = print(canvas);
        return canvas.finish() && drawn;
    }

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        test::copyFixture(QStringLiteral("reports/db"), m_db.path());
        m_database = std::make_unique<Database>(m_prompt);
        m_database->load(DatabaseFolder(m_db.path()));
        QCOMPARE(m_database->disks().count(), 3);
    }

    void catalogue_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("disk");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<Lines>("lines");
        const Lines head{"300|Dovrin Catalogue Printout", "300|Printed: 06/12/2026 09:30:00"};

        Lines list = head + Lines{"300|List of disks catalogued"};
        for (const DiskEntry& disk : m_database->disks())
            list << QStringLiteral("1000|%1|6000|%2 free").arg(disk.path, disk.freeSpace);
        QTest::newRow("list of disks")
            << int(CataloguePrintout::Kind::DiskList) << QString() << 12 << list;

        // A folder name with a comma is two items of the tree file.
        QTest::newRow("tree") << int(CataloguePrintout::Kind::Tree) << "Holidays\\Photos" << 10
                              << head + Lines{"300|Directory tree of Holidays\\Photos",
                                              "900|Holidays\\Photos:\\",
                                              "900|Holidays\\Photos:\\Games",
                                              "900|Holidays\\Photos:\\Games\\Saves",
                                              "900|Holidays\\Photos:\\Été",
                                              "900|Holidays\\Photoshiver"};

        const Lines contents =
            head + Lines{"300|Disk: Holidays\\Photos",
                         "900|\\|7700|The root of the photos disk",
                         QStringLiteral("1100|readme.txt|4100|1,234,567|5600|01/03/2026 "
                                        "10:15:00|7700|Read me first"),
                         "1100|midnight.txt|4100|0|5600|31/01/2026",
                         "1100|zero-date.dat|4100|5|5600|10:15:00",
                         QStringLiteral("1100|café.jpg|4100|2,048|5600|14/07/2024 12:00:00|7700|"
                                        "Café au lait"),
                         "1100|résumé.doc|4100|999",
                         "900|Games\\|7700|Game folder",
                         "1100|game.exe|4100|4,096|5600|24/12/2025 18:30:00",
                         "900|Games\\Saves\\",
                         "900|Été, hiver\\",
                         "1100|neige.png|4100|10|5600|02/02/2026 02:02:02"};
        QTest::newRow("contents") << int(CataloguePrintout::Kind::Contents) << "Holidays\\Photos"
                                  << 12 << contents;
        // At 72 points the lines run on over further pages (and past the right edge: only
        // their first texts are on the paper).
        Lines firstTexts;
        for (const QString& line : contents)
            firstTexts << line.section(u'|', 0, 1);
        QTest::newRow("contents over pages")
            << int(CataloguePrintout::Kind::Contents) << "Holidays\\Photos" << 72 << firstTexts;
    }

    void catalogue()
    {
        auto [kind, disk, bodySize, lines] =
            test::fetch<int, QString, int, Lines>("kind", "disk", "bodySize", "lines");
        CataloguePrintout printout(m_database->folder(), m_database->disks());
        printout.setPrinted(m_printed);
        const QString path = pdf(QTest::currentDataTag());
        QVERIFY(draw(
            path, [&, kind = kind, disk = disk, bodySize = bodySize](reports::PageCanvas& canvas) {
                return printout.print(canvas, CataloguePrintout::Kind(kind), disk, bodySize);
            }));
        const QList<PdfWord> words = test::pdfWords(path);
        checkLines(words, lines);
        if (QTest::currentTestFailed())
            return;

        if (bodySize == 72) {
            QVERIFY(words.last().page >= 2);
            const auto top = std::find_if(words.begin(), words.end(),
                                          [](const PdfWord& w) { return w.page == 2; });
            QVERIFY(top->y < kMargin + 4);
        } else {
            QCOMPARE(words.last().page, 1);
        }
    }

    // Printouts go on the paper of the user's country: Letter in the United States, else A4.
    void paperOfTheLocale_data()
    {
        test::table<QString, int>({"locale", "paper"},
                                  {{"British", "en_GB", int(QPageSize::A4)},
                                   {"American", "en_US", int(QPageSize::Letter)}});
    }

    void paperOfTheLocale()
    {
        auto [locale, paper] = test::fetch<QString, int>("locale", "paper");
        QTemporaryDir dir;
        const auto writer = inLocale(QLocale(locale), [&] {
            return platform::openPdfDocument(dir.filePath(QStringLiteral("p.pdf")), {});
        });
        QCOMPARE(int(writer->pageLayout().pageSize().id()), paper);
    }

    void missingRecordFails()
    {
        const CataloguePrintout printout(m_database->folder(), m_database->disks());
        for (const auto kind : {CataloguePrintout::Kind::Tree, CataloguePrintout::Kind::Contents})
            QVERIFY(!draw(pdf("missing"), [&](reports::PageCanvas& canvas) {
                return printout.print(canvas, kind, QStringLiteral("Holidays\\Gone"), 12);
            }));
    }

    void searchResults()
    {
        FixedResults results;
        results.rows = {{"Holidays\\Photos\\", "README", "1,234,567", "01/03/2026 10:15:00"},
                        {"Holidays\\Photos\\Games\\", "Games", QString(), QString()}};
        const reports::SearchHeading heading{"README", search::SearchMode::Name, m_printed};
        const QString path = pdf("search");
        QVERIFY(draw(path, [&](reports::PageCanvas& canvas) {
            return reports::printSearchResults(canvas, heading, results, DisplayFormat());
        }));
        checkLines(test::pdfWords(path),
                   {"300|Dovrin Catalogue Printout", "300|Printed: 06/12/2026 09:30:00",
                    "300|Search results for: README in part of file names",
                    "400|Holidays\\Photos\\", "700|README|6900|1,234,567|8200|01/03/2026 10:15:00",
                    "400|Holidays\\Photos\\Games\\", "700|Games"});
    }

    // Text listings, compared byte for byte with the expected files.
    void listingIsByteExact_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("file");
        test::addTextRows(
            {"catalogue disk, every column|Holidays\\Photos\\|Holidays-Photos.txt",
             "folder key names its disk|Holidays\\Photos\\Games\\Saves\\|Holidays-Photos.txt",
             "pseudo-catalogue disk|.\\Photos\\|Photos.txt",
             "folders only|.\\Folders\\|Folders.txt"});
    }

    void listingIsByteExact()
    {
        auto [key, file] = test::fetch<QString, QString>("key", "file");
        QTemporaryDir target;
        TextExport exporter(m_database->folder(), m_database->disks(), m_prompt);
        exporter.setGenerated(QDateTime(QDate(2026, 12, 6), QTime(9, 30)));
        QCOMPARE(exporter.exportDisk(key, target.path() + u'/'), TextExport::Result::Written);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{file});

        const QByteArray written = test::readFile(target.filePath(file));
        const QByteArray wanted = test::readFile(expected(file));
        QVERIFY(!wanted.isEmpty());
        QCOMPARE(written, wanted);
        // Every body line is 200 characters before its CR LF.
        const QList<QByteArray> want = wanted.split('\n');
        const qsizetype bodyStart = want.indexOf("\r") + 1;
        for (qsizetype i = bodyStart; i < want.size() - 1; ++i)
            QCOMPARE(QString::fromUtf8(want[i]).size(), 201);
        QVERIFY(m_prompt.requests().isEmpty());
    }

    // A size whose digit groups stand apart by a character that is not ASCII still ends at
    // the size column.
    void sizeColumnInAnyLocale()
    {
        const auto sizeEnd = [&](const QLocale& locale) {
            QTemporaryDir target;
            inLocale(locale, [&] {
                return TextExport(m_database->folder(), m_database->disks(), m_prompt)
                    .exportDisk(QStringLiteral("Holidays\\Photos\\"), target.path() + u'/');
            });
            const QString line =
                QString::fromUtf8(test::readFile(target.filePath("Holidays-Photos.txt")))
                    .split(u'\n')
                    .filter(QStringLiteral("readme.txt"))
                    .value(0);
            const QString size = locale.toString(1234567);
            return line.contains(size) ? line.indexOf(size) + size.size() : -1;
        };
        const QLocale french(QLocale::French, QLocale::France);
        QVERIFY(french.groupSeparator().front().unicode() > 0x7f); // the case in question
        QCOMPARE(sizeEnd(french), sizeEnd(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    }

    // "No" keeps the one existing listing; the other disks are written. "Yes" replaces it.
    void overwriteQuestion_data()
    {
        test::table<int, bool>({"answer", "replaced"},
                               {{"no skips that disk", int(PromptAnswer::No), false},
                                {"yes replaces it", int(PromptAnswer::Yes), true}});
    }

    void overwriteQuestion()
    {
        auto [answer, replaced] = test::fetch<int, bool>("answer", "replaced");
        QTemporaryDir target;
        const QString existing = target.filePath(QStringLiteral("Photos.txt"));
        test::writeFile(existing, "mine");
        test::ScriptedPrompt prompt;
        prompt.answer(PromptAnswer(answer));
        TextExport exporter(m_database->folder(), m_database->disks(), prompt);
        exporter.setGenerated(QDateTime(QDate(2026, 12, 6), QTime(9, 30)));
        const TextExport::Summary summary = exporter.exportAll(target.path() + u'/');

        QCOMPARE(summary.written, replaced ? 3 : 2);
        QCOMPARE(summary.kept, replaced ? 0 : 1);
        QCOMPARE(prompt.requests().size(), 1);
        const PromptRequest& asked = prompt.requests().first();
        QCOMPARE(asked.title + u'|' + asked.text, "File already present!|Overwrite " + existing);
        QVERIFY(asked.buttons == PromptButtons::YesNo && asked.defaultAnswer == PromptAnswer::No &&
                asked.icon == PromptIcon::Question);
        QCOMPARE(test::readFile(existing),
                 replaced ? test::readFile(expected(QStringLiteral("Photos.txt")))
                          : QByteArray("mine"));
        for (const char* other : {"Holidays-Photos.txt", "Folders.txt"})
            QCOMPARE(test::readFile(target.filePath(QLatin1String(other))),
                     test::readFile(expected(QLatin1String(other))));
    }

    // A folder that cannot be written ends an export of every disk with one message.
    void unwritableTargetStopsOnce()
    {
        QTemporaryDir target;
        test::ScriptedPrompt prompt;
        TextExport exporter(m_database->folder(), m_database->disks(), prompt);
        const TextExport::Summary summary = exporter.exportAll(target.filePath("gone") + u'/');
        QCOMPARE(summary.written, 0);
        QCOMPARE(summary.failed, 1);
        QCOMPARE(prompt.titles(), QStringList{QStringLiteral("Error")});
    }
};

QTEST_MAIN(TestPrintouts)
#include "tst_printouts.moc"
