#include "CliRun.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

// The comment commands' arguments and output; what a comment becomes is the store suite's.
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
        // Set trimmed.
        for (const char* key : {"H\\D\\a.txt", "H\\D\\b.txt", "H\\E\\c.txt"})
            QCOMPARE(cli({"comment", key, QStringLiteral("  on %1 ").arg(key)}).status, 0);
        QCOMPARE(cli({"comment", "H\\D\\a.txt"}).out, QByteArray("on H\\D\\a.txt\n"));
        QCOMPARE(cli({"comments", "H\\D\\"}).out,
                 QByteArray("H\\D\\a.txt\ton H\\D\\a.txt\nH\\D\\b.txt\ton H\\D\\b.txt\n"));
        const test::CliRun cleared = cli({"comment", "H\\D\\a.txt", ""});
        QCOMPARE(cleared.status, 0);
        QVERIFY(cleared.err.isEmpty()); // no question asked
        QCOMPARE(cli({"comments"}).out,
                 QByteArray("H\\D\\b.txt\ton H\\D\\b.txt\nH\\E\\c.txt\ton H\\E\\c.txt\n"));
    }

private:
    test::CliRun cli(const QStringList& args) { return test::runCli(m_dir->path(), args); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCommentCli)
#include "tst_commentcli.moc"
