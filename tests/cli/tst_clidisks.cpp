#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// dovrin-cli disks on the sample database: one tab-separated line per loaded disk, the
// loader's messages on stderr, and questions answered No so that nothing is deleted.
class TestCliDisks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsSample();
};

void TestCliDisks::listsSample()
{
    QTemporaryDir dir;
    dovrin::test::copyFixture(QStringLiteral("sampledb"), dir.path());
    QProcess cli;
    cli.start(QStringLiteral(DOVRIN_CLI_BINARY),
              {QStringLiteral("--database"), dir.path(), QStringLiteral("disks")});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);

    QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(
        lines,
        (QStringList{".\\Music\t/media/alice/MUSIC/\t0.50MB\t05/12/2026 09:00:00\t1",
                     ".\\Photos\tD:\\\t1234.56MB\t04/12/2026 21:54:37\t0",
                     "Holidays\\Summer 2019\tE:\\Data\\Old\\\t10.00MB\t15/08/2019 14:30:00\t0",
                     "Holidays\\Winter\t/media/alice/WINTER/\t99.99MB\t01/02/2026 07:05:00\t0"}));
    const QString errors = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY(errors.contains(QLatin1String("Disk corrupt!: The disk .\\Broken is corrupt.")));
    QVERIFY(
        errors.contains(QLatin1String("Incompatible: Disk .\\Old is not in the correct format")));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Broken.i"))));
}

QTEST_GUILESS_MAIN(TestCliDisks)
#include "tst_clidisks.moc"
