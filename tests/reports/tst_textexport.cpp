#include "DataTable.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "common/DisplayFormat.h"
#include "reports/TextExport.h"
#include "store/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using reports::TextExport;

// Text listings of the reports fixture, compared byte for byte with the expected files in
// tests/data/reports/listings (written column by column, en_GB locale).
class TestTextExport : public QObject
{
    Q_OBJECT

private:
    QString expected(const QString& name)
    {
        return QStringLiteral(DOVRIN_TEST_DATA "/reports/listings/") + name;
    }

    QTemporaryDir m_db;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Database> m_database;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        test::copyFixture(QStringLiteral("reports/db"), m_db.path());
        m_database = std::make_unique<Database>(m_prompt);
        m_database->load(DatabaseFolder(m_db.path()));
        QCOMPARE(m_database->disks().count(), 3);
    }

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

    // "No" keeps the one existing listing; the other disks are written. "Yes" replaces it.
    void overwriteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no skips that disk") << int(PromptAnswer::No) << false;
        QTest::newRow("yes replaces it") << int(PromptAnswer::Yes) << true;
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

QTEST_GUILESS_MAIN(TestTextExport)
#include "tst_textexport.moc"
