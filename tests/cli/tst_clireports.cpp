#include "PdfText.h"
#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// dovrin-cli export and print on the reports fixture: the same listings as the window writes
// (compared with the expected files, all but the "Generated" line) and PDF printouts.
class TestCliReports : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_db;

    QByteArray withoutGeneratedLine(QByteArray listing)
    {
        QList<QByteArray> lines = listing.split('\n');
        if (lines.size() > 1)
            lines.removeAt(1);
        return lines.join('\n');
    }

private Q_SLOTS:
    void initTestCase() { dovrin::test::copyFixture(u"reports/db"_s, m_db.path()); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("args"); // OUT stands for the output folder
        QTest::addColumn<QString>("existing"); // a listing already in OUT
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("listings"); // written, as expected
        QTest::addColumn<QString>("printed");      // a text of OUT/p.pdf
        QTest::addColumn<QString>("error");        // a text of stderr
        QTest::newRow("existing listing kept")
            << QStringList{u"export"_s, u".\\Photos"_s, u"OUT"_s} << u"Photos.txt"_s << 2
            << QStringList() << QString() << u"File already present!: Overwrite "_s;
        QTest::newRow("export all keeps one, writes the others")
            << QStringList{u"export"_s, u"--all"_s, u"OUT"_s} << u"Photos.txt"_s << 0
            << QStringList{u"Folders.txt"_s, u"Holidays-Photos.txt"_s} << QString()
            << u"File already present!"_s;
        QTest::newRow("overwrite")
            << QStringList{u"export"_s, u"--overwrite"_s, u".\\Photos"_s, u"OUT"_s}
            << u"Photos.txt"_s << 0 << QStringList{u"Photos.txt"_s} << QString() << QString();
        QTest::newRow("unknown disk")
            << QStringList{u"export"_s, u"Photos"_s, u"OUT"_s} << QString() << 2 << QStringList()
            << QString() << u"there is no disk Photos"_s;
        QTest::newRow("print a tree, disk named with /")
            << QStringList{u"print"_s, u"tree"_s,  u"Holidays/Photos"_s, u"--font-size"_s,
                           u"8"_s,     u"--pdf"_s, u"OUT/p.pdf"_s}
            << QString() << 0 << QStringList() << u"Holidays\\Photos:\\Games\\Saves"_s << QString();
        QTest::newRow("print search")
            << QStringList{u"print"_s, u"search"_s, u"name"_s, u"me"_s, u"--pdf"_s, u"OUT/p.pdf"_s}
            << QString() << 0 << QStringList() << u"Search results for: ME in part of file names"_s
            << QString();
        QTest::newRow("font size not offered")
            << QStringList{u"print"_s, u"list"_s,  u"--font-size"_s,
                           u"13"_s,    u"--pdf"_s, u"OUT/p.pdf"_s}
            << QString() << 2 << QStringList() << QString() << u"font size"_s;
        QTest::newRow("contents of a folders-only disk")
            << QStringList{u"print"_s, u"contents"_s, u".\\Folders"_s, u"--pdf"_s, u"OUT/p.pdf"_s}
            << QString() << 2 << QStringList() << QString() << u"folders only"_s;
        QTest::newRow("unwritable pdf")
            << QStringList{u"print"_s, u"list"_s, u"--pdf"_s, u"OUT/gone/p.pdf"_s} << QString() << 1
            << QStringList() << QString() << u"Printing aborted due to unknown error"_s;
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, existing);
        QFETCH(int, status);
        QFETCH(QStringList, listings);
        QFETCH(QString, printed);
        QFETCH(QString, error);
        QTemporaryDir out;
        if (!existing.isEmpty())
            dovrin::test::writeFile(out.filePath(existing), "mine");
        args.replaceInStrings(u"OUT"_s, out.path());

        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LC_ALL"_s, u"en_GB.UTF-8"_s); // the fixture's listings are in en_GB
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(DOVRIN_CLI_BINARY),
                  QStringList{u"--database"_s, m_db.path()} + args);
        QVERIFY(cli.waitForFinished(60000));
        const QString errors = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(cli.exitCode() == status, qPrintable(errors));
        QVERIFY2(errors.contains(error), qPrintable(errors));

        for (const QString& name : listings) {
            const QByteArray wanted = dovrin::test::readFile(QStringLiteral(DOVRIN_TEST_DATA) +
                                                             u"/reports/listings/"_s + name);
            QCOMPARE(withoutGeneratedLine(dovrin::test::readFile(out.filePath(name))),
                     withoutGeneratedLine(wanted));
        }
        if (!existing.isEmpty() && !listings.contains(existing))
            QCOMPARE(dovrin::test::readFile(out.filePath(existing)), QByteArray("mine"));
        const QString pdf = out.filePath(u"p.pdf"_s);
        QCOMPARE(QFile::exists(pdf), !printed.isEmpty());
        if (!printed.isEmpty()) {
            QStringList words;
            for (const dovrin::test::PdfWord& word : dovrin::test::pdfWords(pdf))
                words << word.text;
            QVERIFY2(words.join(u' ').contains(printed), qPrintable(words.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliReports)
#include "tst_clireports.moc"
