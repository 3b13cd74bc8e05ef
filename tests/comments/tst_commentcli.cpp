#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

class TestCommentCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void setPrintListClear()
    {
        QCOMPARE(cli({"comment", "H\\D\\a.txt", "  say \"hi\", twice  "}).status, 0);
        QCOMPARE(cli({"comment", "H\\D\\b.txt", "bee"}).status, 0);
        QCOMPARE(cli({"comment", "H\\E\\c.txt", "sea"}).status, 0);
        QCOMPARE(cli({"comment", "H\\D\\a.txt"}).out, QByteArray("say 'hi', twice\n"));
        QCOMPARE(cli({"comments"}).out,
                 QByteArray("H\\D\\a.txt\tsay 'hi', twice\nH\\D\\b.txt\tbee\nH\\E\\c.txt\tsea\n"));
        QCOMPARE(cli({"comments", "H\\D\\"}).out,
                 QByteArray("H\\D\\a.txt\tsay 'hi', twice\nH\\D\\b.txt\tbee\n"));
        const Run cleared = cli({"comment", "H\\D\\a.txt", ""});
        QCOMPARE(cleared.status, 0);
        QVERIFY(cleared.err.isEmpty()); // no question asked
        QCOMPARE(cli({"comment", "H\\D\\a.txt"}).out, QByteArray());
        QCOMPARE(test::readFile(storePath()), QByteArray("\"H\\D\\b.txt\",\"bee\"\r\n"
                                                         "\"H\\E\\c.txt\",\"sea\"\r\n"));
    }

    void readsDoNotCreateTheStore()
    {
        const Run print = cli({"comment", "H\\D\\a.txt"});
        QCOMPARE(print.status, 0);
        QVERIFY(print.out.isEmpty());
        QCOMPARE(cli({"comments"}).status, 0);
        QCOMPARE(cli({"comment", "H\\D\\a.txt", "  "}).status, 0); // clearing nothing
        QVERIFY(!QFile::exists(storePath()));
    }

    void fullDiskLeavesStoreAsItWas()
    {
        QByteArray store;
        for (int i = 0; i < 4000; ++i)
            store += "\"H\\D\\file" + QByteArray::number(i) + ".txt\",\"a comment\"\r\n";
        test::writeFile(storePath(), store);
        const Run run = cli({"comment", "H\\D\\new.txt", "new"}, 16);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("The file comments were not changed"), run.err.constData());
        QCOMPARE(test::readFile(storePath()), store);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 (QStringList{"FileComments.dat", "FileComments.lock"}));
    }

private:
    struct Run
    {
        int status;
        QByteArray out;
        QByteArray err;
    };
    // limitBlocks > 0 runs the tool with a file size limit, as on a nearly full disk.
    Run cli(const QStringList& args, int limitBlocks = 0);
    QString storePath() const { return m_dir->filePath(QStringLiteral("FileComments.dat")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

TestCommentCli::Run TestCommentCli::cli(const QStringList& args, int limitBlocks)
{
    QProcess process;
    const QStringList full = QStringList{QStringLiteral("--database"), m_dir->path()} + args;
    if (limitBlocks > 0) {
        // Writes past the limit fail with EFBIG instead of ending the process.
        const QString script =
            QStringLiteral("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(limitBlocks);
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), script, QStringLiteral(DOVRIN_CLI_BINARY)} +
                          full);
    } else {
        process.start(QStringLiteral(DOVRIN_CLI_BINARY), full);
    }
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QTEST_GUILESS_MAIN(TestCommentCli)
#include "tst_commentcli.moc"
