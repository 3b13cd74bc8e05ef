#include "TestFiles.h"
#include "comments/CommentStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

class TestCommentPurge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void purge_data();
    void purge();
};

namespace {

const QStringList kComments{"H\\D\\=root",
                            "H\\D\\a.txt=kept file",
                            "H\\DD\\a.txt=other disk",
                            "H\\D\\gone.txt=gone",
                            "H\\D\\Games\\=folder",
                            "H\\D\\Games\\save.dat=in folder",
                            "H\\D\\save.dat=moved",
                            "H\\D\\Old\\=gone folder",
                            "H\\D\\Old\\x.txt=in gone folder",
                            "H\\D\\caf\u00e9.txt=latin name",
                            "X\\D\\a.txt=other catalogue"};

const QByteArray kFileList = "\":\"\r\n"
                             "\"a.txt\",10,#2026-03-01 10:15:00#\r\n"
                             "\"caf\xe9.txt\",922337203685477.0000,#2026-03-01#\r\n"
                             "\":\\Games\"\r\n"
                             "\"save.dat\",5,#2026-03-01#\r\n"
                             "\":\\Games\\Empty\"\r\n";

} // namespace

void TestCommentPurge::purge_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QByteArray>("fileList"); // empty: no file-list file
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("re-catalogued") << kComments << kFileList << true
                                   << QStringList{"H\\D\\=root",
                                                  "H\\D\\a.txt=kept file",
                                                  "H\\DD\\a.txt=other disk",
                                                  "H\\D\\Games\\=folder",
                                                  "H\\D\\Games\\save.dat=in folder",
                                                  "H\\D\\caf\u00e9.txt=latin name",
                                                  "X\\D\\a.txt=other catalogue"};
    QTest::newRow("folders only") << kComments
                                  << QByteArray("\":\"\r\n\":\\Games\"\r\n\":\\Old\"\r\n") << true
                                  << QStringList{"H\\D\\=root", "H\\DD\\a.txt=other disk",
                                                 "H\\D\\Games\\=folder", "H\\D\\Old\\=gone folder",
                                                 "X\\D\\a.txt=other catalogue"};
    // Without a readable file list nothing can be told stale: the store stays as it was.
    QTest::newRow("no file list") << kComments << QByteArray() << false << kComments;
    QTest::newRow("malformed file list")
        << kComments << QByteArray("\":\"\r\n\"a.txt\",ten,#2026-03-01#\r\n") << false << kComments;
    QTest::newRow("disk without comments needs no file list")
        << QStringList{"H\\DD\\a.txt=other disk"} << QByteArray() << true
        << QStringList{"H\\DD\\a.txt=other disk"};
}

void TestCommentPurge::purge()
{
    QFETCH(QStringList, before);
    QFETCH(QByteArray, fileList);
    QFETCH(bool, ok);
    QFETCH(QStringList, after);
    QTemporaryDir dir;
    const DatabaseFolder folder(dir.path());
    CommentStore store(folder);
    for (const QString& p : before)
        QVERIFY(store.set(p.section(QLatin1Char('='), 0, 0), p.section(QLatin1Char('='), 1)));
    if (!fileList.isEmpty())
        test::writeFile(folder.recordFile(QStringLiteral("H\\D"), ".f"), fileList);

    QCOMPARE(store.purgeStale(QStringLiteral("H\\D\\")), ok);
    QCOMPARE(store.lastError().isEmpty(), ok);
    QStringList actual;
    for (const CommentEntry& e : store.entries())
        actual << e.key + QLatin1Char('=') + e.comment;
    QCOMPARE(actual, after);
}

QTEST_GUILESS_MAIN(TestCommentPurge)
#include "tst_commentpurge.moc"
