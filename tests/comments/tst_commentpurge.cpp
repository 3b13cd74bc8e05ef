#include "DataTable.h"
#include "TestFiles.h"
#include "comments/CommentStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

namespace {

const QStringList kComments =
    QStringLiteral(
        "H\\D\\=root|H\\D\\a.txt=kept file|H\\DD\\a.txt=other disk|H\\D\\gone.txt=gone|"
        "H\\D\\Games\\=folder|H\\D\\Games\\save.dat=in folder|H\\D\\save.dat=moved|"
        "H\\D\\Old\\=gone folder|H\\D\\Old\\x.txt=in gone folder|H\\D\\caf\u00e9.txt=latin name|"
        "X\\D\\a.txt=other catalogue")
        .split(u'|');

const QByteArray kFileList = "\":\"\r\n"
                             "\"a.txt\",10,#2026-03-01 10:15:00#\r\n"
                             "\"caf\xe9.txt\",922337203685477.0000,#2026-03-01#\r\n"
                             "\":\\Games\"\r\n"
                             "\"save.dat\",5,#2026-03-01#\r\n"
                             "\":\\Games\\Empty\"\r\n";

} // namespace

class TestCommentPurge : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void purge_data()
    {
        // empty: no file-list file
        test::table<QStringList, QByteArray, bool, QStringList>(
            {"before", "fileList", "ok", "after"},
            {
                {"re-catalogued", kComments, kFileList, true,
                 QStringList{"H\\D\\=root", "H\\D\\a.txt=kept file", "H\\DD\\a.txt=other disk",
                             "H\\D\\Games\\=folder", "H\\D\\Games\\save.dat=in folder",
                             "H\\D\\caf\u00e9.txt=latin name", "X\\D\\a.txt=other catalogue"}},
                {"folders only", kComments, "\":\"\r\n\":\\Games\"\r\n\":\\Old\"\r\n", true,
                 QStringList{"H\\D\\=root", "H\\DD\\a.txt=other disk", "H\\D\\Games\\=folder",
                             "H\\D\\Old\\=gone folder", "X\\D\\a.txt=other catalogue"}},
                // Without a readable file list nothing can be told stale: the store stays as it
                // was.
                {"no file list", kComments, QByteArray(), false, kComments},
                {"disk without comments needs no file list", QStringList{"H\\DD\\a.txt=other disk"},
                 QByteArray(), true, QStringList{"H\\DD\\a.txt=other disk"}},
            });
    }
    void purge();
};

void TestCommentPurge::purge()
{
    auto [before, fileList, ok, after] = test::fetch<QStringList, QByteArray, bool, QStringList>(
        "before", "fileList", "ok", "after");
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
