#include "DataTable.h"
#include "FailingCalls.h"
#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "comments/CommentStore.h"
#include "common/FileLock.h"
#include "manage/CatalogueChanges.h"
#include "manage/ChangeJournal.h"
#include "manage/DiskChanges.h"
#include "store/Database.h"
#include "store/Keys.h"
#include "store/MemoryTree.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

using namespace dovrin;

Q_DECLARE_METATYPE(PendingChange)

namespace {
// answer: a name, "yes"/"no", or the move's target; setup: a record, a hidden file, a folder
// ending with "/", or "lock:" and a file another process holds; lastText: of the last message,
// question or input box.
struct Command
{
    const char* name;
    QString command, key, answer, setup;
    int outcome;
    QString lastText;
    QStringList records, comments;
    int searchCloses;
};
} // namespace
Q_DECLARE_METATYPE(Command)

namespace {

const QStringList kRecords = {".\\Loose", "Holidays\\Photos", "Holidays\\Videos"};
const QStringList kComments = {"Holidays\\Photos\\readme.txt", "Holidays\\Photos\\Games\\",
                               ".\\Loose\\a.txt", "Holidays\\Videos\\Clips\\"};

// The records on disk, "Holidays\Photos" for a whole one, with the suffixes found appended
// for any other ("Holidays\Photos .f .t").
QStringList recordsOnDisk(const QString& root)
{
    static const QRegularExpression file(QStringLiteral("^(.*)(\\.[itf](\\.deleted)?)$"));
    QMap<QString, QStringList> found;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QString path = it.next().sliced(root.size() + 1);
        const QRegularExpressionMatch m = file.match(path.contains(u'/') ? path : "./" + path);
        if (m.hasMatch())
            found[m.captured(1).replace(u'/', u'\\')].append(m.captured(2));
    }
    QStringList records;
    for (auto it = found.begin(); it != found.end(); ++it) {
        it->sort();
        const bool whole = *it == QStringList{".f", ".i", ".t"};
        records << (whole ? it.key() : it.key() + u' ' + it->join(u' '));
    }
    return records;
}

// The sample database with a comment on each disk.
int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

void writeDatabase(const QString& root)
{
    test::writeSampleDatabase(root);
    QList<QPair<QString, QString>> notes;
    for (const QString& key : kComments)
        notes.append({key, QStringLiteral("note")});
    test::writeComments(DatabaseFolder(root), notes);
}

QStringList commentKeys(const QString& root)
{
    QStringList keys;
    for (const CommentEntry& e : CommentStore{DatabaseFolder(root)}.entries())
        keys << e.key;
    return keys;
}

using Kind = PendingChange::Kind;
const PendingChange kMove{Kind::MoveDisk, "Holidays\\Photos", ".\\Photos", {".f", ".i", ".t"}};
const PendingChange kDelete{Kind::DeleteDisk, "Holidays\\Photos", "", {".i", ".t", ".f"}};
const PendingChange kRename{Kind::RenameCatalogue, "Holidays", "Trips", {}};

QStringList replaced(QStringList list, const QString& from, const QString& to)
{
    list.replaceInStrings(from, to);
    return list;
}

QStringList without(QStringList list, const QString& prefix)
{
    list.removeIf([&](const QString& item) { return item.startsWith(prefix); });
    return list;
}

ChangeResult run(Database& database, Prompt& prompt, const ChangeHooks& hooks,
                 const QString& command, const QString& key, const QString& answer,
                 QString* leftOut = nullptr)
{
    CatalogueChanges catalogues(database, prompt, hooks);
    DiskChanges disks(database, prompt, hooks);
    return command == u"create"            ? catalogues.create()
           : command == u"renameCatalogue" ? catalogues.rename(key)
           : command == u"deleteCatalogue" ? catalogues.remove(key)
           : command == u"deleteDisk"      ? disks.remove(key)
           : command == u"renameDisk"      ? disks.rename(key)
                                           : disks.move(key, [=](const QString& leaveOut) {
                                            if (leftOut)
                                                *leftOut = leaveOut;
                                            return answer;
                                        });
}

} // namespace

class TestChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void commands_data()
    {
        const int done = int(ChangeOutcome::Done), refused = int(ChangeOutcome::Refused),
                  cancelled = int(ChangeOutcome::Cancelled), failed = int(ChangeOutcome::Failed);
        const QString rule = QStringLiteral(
            "Catalogue names cannot contain the following characters: \\ / : * ? \" < > |");
        const QString photos = QStringLiteral("Holidays\\Photos\\");
        const QString busy =
            QStringLiteral("The disk Holidays\\Photos is being catalogued by another "
                           "Dovrin process. Try again when it has finished.");
        const QString sure =
            QStringLiteral("Are you sure you want to delete the disk: Holidays\\Photos?");
        const QStringList moved{".\\Loose", ".\\Photos", "Holidays\\Videos"};
        const QStringList noPhotos = without(kRecords, "Holidays\\Photos");
        const QStringList noPhotoComments = without(kComments, photos);
        test::rows<Command>({
            {"create trims", "create", "", "  Work  ", "", done,
             "Please enter a name for the new catalogue:", kRecords, kComments, 0},
            {"create taken", "create", "", "Holidays", "", refused,
             "Unable to create the catalogue", kRecords, kComments, 0},
            {"create ?", "create", "", "Wh?t", "", refused, rule, kRecords, kComments, 0},
            {"rename catalogue", "renameCatalogue", "Holidays\\", " Trips", "", done,
             "Please enter the new name for the catalogue 'Holidays':",
             replaced(kRecords, "Holidays\\", "Trips\\"),
             replaced(kComments, "Holidays\\", "Trips\\"), 1},
            {"rename catalogue taken", "renameCatalogue", "Holidays\\", "Empty", "", refused,
             "Unable to rename the catalogue", kRecords, kComments, 1},
            {"delete catalogue not empty", "deleteCatalogue", "Empty\\", "", "", refused,
             "Cannot delete this catalogue. This is because either there are still disks "
             "in the "
             "catalogue,\ror there are still files in the directory where the catalogue is "
             "stored.",
             kRecords, kComments, 0},
            {"delete catalogue of hidden files", "deleteCatalogue", "Hidden\\", "", "Hidden/.keep",
             failed, "Windows reported failure deleting the catalogue directory", kRecords,
             kComments, 0},
            {"delete empty catalogue", "deleteCatalogue", "Bare\\", "", "Bare/", done, "", kRecords,
             kComments, 1},
            {"delete disk", "deleteDisk", photos, "yes", "", done, sure, noPhotos, noPhotoComments,
             1},
            {"delete disk, no", "deleteDisk", photos, "no", "", cancelled, sure, kRecords,
             kComments, 0},
            {"rename loose disk", "renameDisk", ".\\Loose\\", "Tight ", "", done,
             "Please enter the new name for the disk 'Loose':",
             replaced(kRecords, ".\\Loose", ".\\Tight"),
             replaced(kComments, ".\\Loose\\", ".\\Tight\\"), 1},
            {"rename disk taken", "renameDisk", photos, "Videos", "", refused,
             "Unable to rename the disk", kRecords, kComments, 1},
            {"rename disk being updated", "renameDisk", photos, "Pics",
             "lock:Holidays/Photos.i.old", failed, busy, kRecords, kComments, 1},
            {"move to no catalogue", "moveDisk", photos, ".\\", "", done, "", moved,
             replaced(kComments, photos, ".\\Photos\\"), 1},
            {"move onto a namesake", "moveDisk", ".\\Loose\\", "Holidays\\", "Holidays/Loose",
             refused, "There is already a disk with this name in the target catalogue",
             QStringList{".\\Loose", "Holidays\\Loose", "Holidays\\Photos", "Holidays\\Videos"},
             kComments, 0},
        });
    }

    // Each command once with every call it makes failing in turn, then whole. A failure ends
    // the command as it began and says why; what it leaves, the next start settles.
    void commands()
    {
        QFETCH(Command, row);
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/db");
        test::forEachFailingCall(root, [&](test::Fault& fault) {
            QDir(root).removeRecursively();
            writeDatabase(root);
            // A scan in another process holds its record's info file (or its backup) locked.
            std::optional<FileLock> held;
            const QString& setup = row.setup;
            if (setup.startsWith(u"lock:")) {
                const QString file = root + u'/' + setup.sliced(5);
                if (!QFile::exists(file))
                    test::writeFile(file, "old");
                held.emplace(file, 0);
                QVERIFY(held->isLocked());
            } else if (setup.endsWith(u'/'))
                QDir().mkpath(root + u'/' + setup);
            else if (setup.contains(u"/."))
                test::writeFile(root + u'/' + setup, "fingerprints\r\n");
            else if (!setup.isEmpty())
                test::writeDisk(root, setup, {}, "\":\"\n");
            test::ScriptedPrompt prompt;
            MemoryTree tree;
            Database database(prompt, &tree);
            database.load(DatabaseFolder(root));
            const QStringList records = recordsOnDisk(root), comments = commentKeys(root);
            prompt.clear();
            if (row.answer == u"yes" || row.answer == u"no")
                prompt.answer(row.answer == u"yes" ? PromptAnswer::Yes : PromptAnswer::No);
            else
                prompt.answerInput(row.answer);
            int closes = 0;
            QString leftOut;
            const int descriptors = openDescriptors();
            const ChangeResult result = fault.during([&] {
                return run(database, prompt, {[&] { ++closes; }, {}}, row.command, row.key,
                           row.answer, &leftOut);
            });
            const QByteArray where = fault.where(prompt.texts().join(u'|'));
            QVERIFY2(openDescriptors() == descriptors, where); // every file and folder closed
            if (fault.hit()) {
                const bool failed = int(result.outcome) != row.outcome;
                QVERIFY2(!failed || (result.outcome == ChangeOutcome::Failed &&
                                     prompt.titles().contains(QStringLiteral("Error"))),
                         where);
                test::ScriptedPrompt nextStart;
                Database(nextStart).load(DatabaseFolder(root));
                QVERIFY2(!QFile::exists(root + QStringLiteral("/PendingChange.dat")), where);
                QVERIFY2(recordsOnDisk(root) == (failed ? records : row.records), where);
                QVERIFY2(commentKeys(root) == (failed ? comments : row.comments), where);
                return;
            }
            QCOMPARE(int(result.outcome), row.outcome);
            QCOMPARE(prompt.requests().isEmpty() ? QString() : prompt.requests().last().text,
                     row.lastText);
            QCOMPARE(recordsOnDisk(root), row.records);
            QCOMPARE(commentKeys(root), row.comments);
            QCOMPARE(closes, row.searchCloses);
            QVERIFY(!QFile::exists(root + QStringLiteral("/PendingChange.dat")));
            if (result.outcome != ChangeOutcome::Done)
                return;

            // The table agrees with the files; a changed disk's node, not yet read, stands under
            // its catalogue or, for <no catalogue>, at the top level; a moved disk is the last.
            QStringList loaded;
            for (const DiskEntry& disk : database.disks())
                loaded << disk.path;
            loaded.sort();
            QCOMPARE(loaded, row.records);
            if (row.command == u"create")
                QCOMPARE(tree.find(QStringLiteral("Work\\"))->tag, tags::kCatalogue);
            if (row.command == u"renameDisk" || row.command == u"moveDisk") {
                const QString parent = keys::catalogue(result.key);
                QVERIFY(tree.childKeys(parent == u".\\" ? QString() : parent).contains(result.key));
                QCOMPARE(tree.childKeys(result.key), QStringList{result.key + u'*'});
            }
            if (row.command == u"moveDisk") {
                QCOMPARE(leftOut, keys::catalogueName(row.key));
                QCOMPARE(database.disks().at(database.disks().count()).path, result.key.chopped(1));
            }
        });
    }

    void chooserLeavesOutTheDisksCatalogue()
    {
        // Letter case counts: "holidays" is another catalogue.
        QTemporaryDir dir;
        test::writeSampleDatabase(dir.path());
        QDir(dir.path()).mkdir(QStringLiteral("holidays"));
        const DatabaseFolder folder(dir.path());
        QStringList offered = catalogueChoices(folder, QStringLiteral("Holidays"));
        QCOMPARE(offered.takeFirst(), QStringLiteral("<no catalogue>"));
        offered.sort();
        QCOMPARE(offered, (QStringList{"Empty", "holidays"}));
        offered = catalogueChoices(folder, QStringLiteral("."));
        offered.sort();
        QCOMPARE(offered, (QStringList{"Empty", "Holidays", "holidays"}));
        QCOMPARE(targetOfChoice(offered.first()), QStringLiteral("Empty\\"));
        QCOMPARE(targetOfChoice(QStringLiteral("<no catalogue>")), QStringLiteral(".\\"));
    }

    void parse_data()
    {
        const QByteArray move = formatPendingChange(kMove);
        const QByteArray rename = formatPendingChange(kRename);
        auto edited = [&](const char* from, const char* to) {
            return QByteArray(move).replace(from, to);
        };
        test::table<QByteArray, bool>(
            {"bytes", "valid"},
            {
                {"move", move, true},
                {"LF line ends", edited("\r\n", "\n"), true},
                {"one-letter disk", edited(".\\Photos", ".\\P"), true},
                {"no end", edited("end\r\n", ""), false},
                {"parent folder", edited(".\\Photos", "..\\Photos"), false},
                {"no catalogue part", edited(".\\Photos", "Photos"), false},
                {"suffix with a path", edited(".f .i", "/../x .i"), false},
                {"no info file", edited(".f .i .t", ".f .t"), false},
                {"letters and digits from end to end", edited(".t", ".t .azAZ09"), true},
                {"a sign among them", edited(".t", ".t .a-z"), false},
                {"rename", rename, true},
                {"rename to a path", QByteArray(rename).replace("Trips", "Tr\\ips"), false},
                {"delete in a parent folder",
                 formatPendingChange(kDelete).replace("Holidays\\", "..\\"), false},
            });
    }

    void parse()
    {
        auto [bytes, valid] = test::fetch<QByteArray, bool>("bytes", "valid");
        const std::optional<PendingChange> parsed = parsePendingChange(bytes);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(formatPendingChange(*parsed).replace('\r', ""), bytes.replace('\r', ""));
    }

    void loadSettlesWhatAKillLeft_data()
    {
        const QString photos = QStringLiteral("Holidays\\Photos");
        const QStringList moved{"Holidays/Photos.f>Photos.f", "Holidays/Photos.i>Photos.i",
                                "Holidays/Photos.t>Photos.t"};
        const QStringList deleted{"Holidays/Photos.i>Holidays/Photos.i.deleted",
                                  "Holidays/Photos.t>", "Holidays/Photos.f>"};
        // done: steps done before the kill, "from>to" or "comments"; was: what the settled change
        // renamed, "" when nothing; now: what it became, "-" when deleted.
        test::table<PendingChange, QStringList, QString, QString>(
            {"change", "done", "was", "now"},
            {
                {"move, nothing done", kMove, QStringList(), "", ""},
                {"move, file list moved", kMove, moved.mid(0, 1), "", ""},
                {"move, two files moved", kMove, moved.mid(0, 2), "", ""},
                {"move, files moved", kMove, moved, photos, ".\\Photos"},
                {"move, comments too", kMove, moved + QStringList{"comments"}, photos, ".\\Photos"},
                {"delete, nothing done", kDelete, QStringList(), photos, "-"},
                {"delete, info file set aside", kDelete, deleted.mid(0, 1), photos, "-"},
                {"delete, files gone", kDelete, deleted, photos, "-"},
                {"catalogue, nothing done", kRename, QStringList(), "", ""},
                {"catalogue, folder renamed", kRename, QStringList{"Holidays>Trips"}, "Holidays\\",
                 "Trips\\"},
            });
    }

    void loadSettlesWhatAKillLeft()
    {
        auto [change, done, was, now] = test::fetch<PendingChange, QStringList, QString, QString>(
            "change", "done", "was", "now");
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        writeDatabase(root);
        CommentStore store{DatabaseFolder(root)};
        test::writeFile(root + QStringLiteral("PendingChange.dat"), formatPendingChange(change));
        for (const QString& step : done) {
            const QString from = root + step.section(u'>', 0, 0);
            const QString to = step.section(u'>', 1);
            if (step == u"comments")
                QVERIFY(store.renameKeys(change.fromKey(), change.toKey()));
            else
                QVERIFY(to.isEmpty() ? QFile::remove(from) : QDir().rename(from, root + to));
        }

        test::ScriptedPrompt prompt;
        Database database(prompt);
        database.load(DatabaseFolder(root));
        QVERIFY2(prompt.requests().isEmpty(), qPrintable(prompt.texts().join(u'\n')));
        QVERIFY(!QFile::exists(root + QStringLiteral("PendingChange.dat")));
        QStringList records = was.isEmpty() ? kRecords
                              : now == u"-" ? without(kRecords, was)
                                            : replaced(kRecords, was, now);
        records.sort();
        QCOMPARE(recordsOnDisk(dir.path()), records);
        QCOMPARE(database.disks().count(), records.size());
        QCOMPARE(commentKeys(root), was.isEmpty() ? kComments
                                    : now == u"-" ? without(kComments, was + u'\\')
                                                  : replaced(kComments, was, now));
    }
    void liveChangeIsLeftAlone();
    void lockThatCannotTimeItsWaitIsRefused();
};

void TestChanges::liveChangeIsLeftAlone()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    test::writeSampleDatabase(root);
    test::writeFile(root + QStringLiteral("PendingChange.dat"), formatPendingChange(kMove));
    QVERIFY(QDir().rename(root + QStringLiteral("Holidays/Photos.f"),
                          root + QStringLiteral("Photos.f")));
    test::ScriptedPrompt prompt;
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
}

// With no signal left for its timer, a wait for a held lock is refused at once: never taken,
// never endless.
void TestChanges::lockThatCannotTimeItsWaitIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PendingChange.lock"));
    FileLock held(path, 0);
    QVERIFY(held.isLocked());
    QVERIFY(!FileLock(path, 0).isLocked());
    rlimit limit;
    QCOMPARE(getrlimit(RLIMIT_SIGPENDING, &limit), 0);
    rlimit none = limit;
    none.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_SIGPENDING, &none), 0);
    QElapsedTimer clock;
    clock.start();
    FileLock waiting(path, 5000);
    setrlimit(RLIMIT_SIGPENDING, &limit);
    QVERIFY(!waiting.isLocked());
    QVERIFY(clock.elapsed() < 2500);
    // A wait that runs out says who holds the lock.
    FileLock timed(path, 100);
    QVERIFY(!timed.isLocked());
    QCOMPARE(timed.error(), path + QStringLiteral(" is held by another Dovrin process."));
}

QTEST_GUILESS_MAIN(TestChanges)
#include "tst_changes.moc"
