#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "UiTestDatabase.h"
#include "comments/CommentStore.h"
#include "common/FileLock.h"
#include "manage/ChangeJournal.h"
#include "store/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

Q_DECLARE_METATYPE(PendingChange)

namespace {

PendingChange change(PendingChange::Kind kind, const QString& from, const QString& to,
                     const QStringList& suffixes)
{
    PendingChange c;
    c.kind = kind;
    c.from = from;
    c.to = to;
    c.suffixes = suffixes;
    return c;
}

const PendingChange kMove =
    change(PendingChange::Kind::MoveDisk, "Holidays\\Photos", ".\\Photos", {".f", ".i", ".t"});
const PendingChange kDelete =
    change(PendingChange::Kind::DeleteDisk, "Holidays\\Photos", "", {".i", ".t", ".f"});
const PendingChange kRename = change(PendingChange::Kind::RenameCatalogue, "Holidays", "Trips", {});

} // namespace

class TestPendingChange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void loadSettlesWhatAKillLeft_data();
    void loadSettlesWhatAKillLeft();
    void liveChangeIsLeftAlone();
};

void TestPendingChange::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    const QByteArray move = formatPendingChange(kMove);
    auto edited = [&](const QByteArray& from, const QByteArray& to) {
        return QByteArray(move).replace(from, to);
    };
    QTest::newRow("move") << move << true;
    QTest::newRow("delete") << formatPendingChange(kDelete) << true;
    QTest::newRow("catalogue") << formatPendingChange(kRename) << true;
    QTest::newRow("LF line ends") << edited("\r\n", "\n") << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut short") << move.chopped(2) << false;
    QTest::newRow("no end") << edited("end\r\n", "") << false;
    QTest::newRow("a line more") << move + "end\r\n" << false;
    QTest::newRow("other header") << edited("change 1", "change 2") << false;
    QTest::newRow("unknown kind") << edited("move-disk", "copy-disk") << false;
    QTest::newRow("no catalogue part") << edited(".\\Photos", "Photos") << false;
    QTest::newRow("a folder key") << edited(".\\Photos", ".\\Photos\\Games") << false;
    QTest::newRow("parent folder") << edited(".\\Photos", "..\\Photos") << false;
    QTest::newRow("same place") << edited(".\\Photos", "Holidays\\Photos") << false;
    QTest::newRow("suffix with a path") << edited(".f .i", "/../x .i") << false;
    QTest::newRow("suffix twice") << edited(".f .i .t", ".f .i .f") << false;
    QTest::newRow("no info file") << edited(".f .i .t", ".f .t") << false;
    QTest::newRow("double blank") << edited(".f .i", ".f  .i") << false;
    QTest::newRow("not UTF-8") << edited("Photos\r\n.f", "Ph\xF6tos\r\n.f") << false;
    QTest::newRow("catalogue with files")
        << QByteArray(formatPendingChange(kRename)).replace("Trips\r\n\r\n", "Trips\r\n.i\r\n")
        << false;
    QTest::newRow("delete with a target")
        << QByteArray(formatPendingChange(kDelete)).replace("Photos\r\n\r\n", "Photos\r\nx\\y\r\n")
        << false;
}

void TestPendingChange::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const std::optional<PendingChange> parsed = parsePendingChange(bytes);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(formatPendingChange(*parsed),
                 QByteArray(bytes).replace("\r\n", "\n").replace("\n", "\r\n"));
}

void TestPendingChange::loadSettlesWhatAKillLeft_data()
{
    QTest::addColumn<PendingChange>("change");
    QTest::addColumn<QStringList>("done");  // steps done before the kill: "from>to" or "comments"
    QTest::addColumn<QString>("photosKey"); // where the disk and its comments end up; empty: gone
    QTest::newRow("move, nothing done") << kMove << QStringList() << "Holidays\\Photos\\";
    QTest::newRow("move, file list moved")
        << kMove << QStringList{"Holidays/Photos.f>Photos.f"} << "Holidays\\Photos\\";
    QTest::newRow("move, two files moved")
        << kMove << QStringList{"Holidays/Photos.f>Photos.f", "Holidays/Photos.i>Photos.i"}
        << "Holidays\\Photos\\";
    const QStringList allMoved{"Holidays/Photos.f>Photos.f", "Holidays/Photos.i>Photos.i",
                               "Holidays/Photos.t>Photos.t"};
    QTest::newRow("move, files moved") << kMove << allMoved << ".\\Photos\\";
    QTest::newRow("move, comments too")
        << kMove << allMoved + QStringList{"comments"} << ".\\Photos\\";
    QTest::newRow("delete, nothing done") << kDelete << QStringList() << "";
    QTest::newRow("delete, info file set aside")
        << kDelete << QStringList{"Holidays/Photos.i>Holidays/Photos.i.deleted"} << "";
    QTest::newRow("delete, files gone")
        << kDelete
        << QStringList{"Holidays/Photos.i>Holidays/Photos.i.deleted", "Holidays/Photos.t>",
                       "Holidays/Photos.f>"}
        << "";
    QTest::newRow("catalogue, nothing done") << kRename << QStringList() << "Holidays\\Photos\\";
    QTest::newRow("catalogue, folder renamed")
        << kRename << QStringList{"Holidays>Trips"} << "Trips\\Photos\\";
}

void TestPendingChange::loadSettlesWhatAKillLeft()
{
    QFETCH(PendingChange, change);
    QFETCH(QStringList, done);
    QFETCH(QString, photosKey);
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    test::writeSampleDatabase(root);
    CommentStore store{DatabaseFolder(root)};
    QVERIFY(store.set(QStringLiteral("Holidays\\Photos\\Games\\"), QStringLiteral("games")));
    QVERIFY(store.set(QStringLiteral(".\\Loose\\a.txt"), QStringLiteral("other")));
    test::writeFile(root + QStringLiteral("PendingChange.dat"), formatPendingChange(change));
    for (const QString& step : done) {
        if (step == u"comments") {
            QVERIFY(store.renameKeys(change.fromKey(), change.toKey()));
            continue;
        }
        const QString from = root + step.section(u'>', 0, 0);
        const QString to = step.section(u'>', 1);
        QVERIFY(to.isEmpty() ? QFile::remove(from) : QDir().rename(from, root + to));
    }

    ScriptedPrompt prompt;
    Database database(prompt);
    database.load(DatabaseFolder(root));
    QVERIFY2(prompt.requests().isEmpty(), qPrintable(prompt.texts().join(u'\n')));
    QVERIFY(!QFile::exists(root + QStringLiteral("PendingChange.dat")));
    QStringList loaded;
    for (const DiskEntry& disk : database.disks())
        loaded << disk.path;
    QCOMPARE(loaded.size(), photosKey.isEmpty() ? 2 : 3);
    QVERIFY(photosKey.isEmpty() || loaded.contains(photosKey.chopped(1)));
    QStringList expected{".\\Loose\\a.txt"};
    if (!photosKey.isEmpty())
        expected.prepend(photosKey + QStringLiteral("Games\\"));
    QStringList stored;
    for (const CommentEntry& e : store.entries())
        stored << e.key;
    QCOMPARE(stored, expected);
    // Nothing of the record is left anywhere else.
    const QStringList leftovers = QDir(root).entryList({"Photos*"}, QDir::Files) +
                                  QDir(root + QStringLiteral("Holidays")).entryList({"Photos*"});
    QCOMPARE(leftovers.size(),
             photosKey == u".\\Photos\\" || photosKey.startsWith(u"Holidays") ? 3 : 0);
}

void TestPendingChange::liveChangeIsLeftAlone()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    test::writeSampleDatabase(root);
    test::writeFile(root + QStringLiteral("PendingChange.dat"), formatPendingChange(kMove));
    QVERIFY(QDir().rename(root + QStringLiteral("Holidays/Photos.f"),
                          root + QStringLiteral("Photos.f")));
    ScriptedPrompt prompt;
    Database database(prompt);
    {
        // Held as a command of another process would hold it.
        FileLock lock(root + QStringLiteral("PendingChange.lock"), 0);
        QVERIFY(lock.isLocked());
        database.load(DatabaseFolder(root));
        QVERIFY(QFile::exists(root + QStringLiteral("PendingChange.dat")));
        QVERIFY(prompt.requests().isEmpty()); // no "Disk corrupt!" for the record in flight
        QCOMPARE(database.disks().count(), 2);
    }
    database.load(DatabaseFolder(root));
    QCOMPARE(database.disks().count(), 3);
    QVERIFY(QFile::exists(root + QStringLiteral("Holidays/Photos.f")));

    // A file that is no change is set aside, with a message.
    test::writeFile(root + QStringLiteral("PendingChange.dat"), "rubbish\r\n");
    database.load(DatabaseFolder(root));
    QCOMPARE(prompt.titles(), QStringList{"Interrupted change"});
    QVERIFY(QFile::exists(root + QStringLiteral("PendingChange.bad")));
}

QTEST_GUILESS_MAIN(TestPendingChange)
#include "tst_pendingchange.moc"
