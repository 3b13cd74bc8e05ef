#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "comments/CommentStore.h"
#include "manage/DiskChanges.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <unistd.h>

using namespace dovrin;

// A child process renames and moves a disk with comments round four places, or deletes it,
// and is killed at a random moment. After every kill a load must find the disk whole in the
// place it had before or after the command that was cut, or (a delete) nowhere, with every
// one of its comments under its key and nothing left of it anywhere else.
namespace {

constexpr int kKills = 240;
constexpr int kComments = 50;
const char* const kChildVariable = "DOVRIN_CHANGE_CHILD"; // the database folder
const char* const kDeleteVariable = "DOVRIN_CHANGE_DELETE";
// The disk's places, each reached from the one before by a rename or a move.
const QString kPlaces[] = {".\\Disk", ".\\Disk2", "Cat\\Disk2", "Cat\\Disk"};

int placeOf(const Database& database)
{
    for (int i = 0; i < 4; ++i) {
        if (database.findDisk(kPlaces[i] + u'\\') > 0)
            return i;
    }
    return -1;
}

// Answers the rename's input box with the next place's name and every question with Yes.
class ChildPrompt final : public Prompt
{
public:
    QString name;
    PromptAnswer ask(const PromptRequest&) override { return PromptAnswer::Yes; }
    bool input(const QString&, const QString&, QString& text) override
    {
        text = name;
        return true;
    }
};

bool stepFrom(Database& database, ChildPrompt& prompt, int place)
{
    const QString next = kPlaces[(place + 1) % 4];
    const QString key = kPlaces[place] + u'\\';
    DiskChanges changes(database, prompt);
    prompt.name = keys::lastName(next);
    const QString target = keys::catalogue(next + u'\\');
    const ChangeResult result = target == keys::catalogue(key)
                                    ? changes.rename(key)
                                    : changes.move(key, [&](const QString&) { return target; });
    return result.outcome == ChangeOutcome::Done;
}

[[noreturn]] void runChild(const QString& root, bool remove)
{
    ChildPrompt prompt;
    Database database(prompt);
    database.load(DatabaseFolder(root));
    int place = placeOf(database);
    std::printf("ready %d\n", place);
    std::fflush(stdout);
    if (remove) {
        DiskChanges(database, prompt).remove(kPlaces[place] + u'\\');
        ::pause();
    }
    for (;; place = (place + 1) % 4) {
        if (!stepFrom(database, prompt, place))
            std::_Exit(3);
        std::printf("at %d\n", (place + 1) % 4);
        std::fflush(stdout);
    }
}

void writeDiskWithComments(const QString& root)
{
    test::writeDisk(root, QStringLiteral("Disk"), {":\\Music"},
                    "\":\"\n\"a.txt\",1,#2025-01-06#\n\":\\Music\"\n\"b.mp3\",2,#2025-01-06#\n");
    test::writeFile(root + QStringLiteral("Disk.fp"), "fingerprints of the disk's files\r\n");
    CommentStore store{DatabaseFolder(root)};
    for (int i = 0; i < kComments; ++i)
        QVERIFY(store.set(QStringLiteral(".\\Disk\\Music\\file %1.mp3").arg(i),
                          QStringLiteral("comment %1").arg(i)));
}

} // namespace

class TestChangeCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedChangesLeaveOneWholeRecord();
};

void TestChangeCrash::killedChangesLeaveOneWholeRecord()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    QDir(root).mkdir(QStringLiteral("Cat"));
    test::writeDisk(root, QStringLiteral("Other"), {}, "\":\"\n");
    CommentStore store{DatabaseFolder(root)};
    QVERIFY(store.set(QStringLiteral(".\\Other\\x"), QStringLiteral("not to be touched")));
    writeDiskWithComments(root);
    // The fingerprint side file travels with the three record files.
    const char* const suffixes[] = {".i", ".t", ".f", ".fp"};
    QByteArray original[4];
    for (int i = 0; i < 4; ++i)
        original[i] = test::readFile(root + QStringLiteral("Disk") + QLatin1String(suffixes[i]));

    // Kills spread over one and a half rounds of the four commands, timed on this machine.
    QElapsedTimer clock;
    clock.start();
    {
        ChildPrompt prompt;
        Database database(prompt);
        database.load(DatabaseFolder(root));
        for (int place = 0; place < 4; ++place)
            QVERIFY(stepFrom(database, prompt, place));
    }
    const int spreadUs = int(qBound(qint64(2000), clock.nsecsElapsed() / 667, qint64(500000)));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildVariable), root);
    int cut = 0, forward = 0, back = 0, deletes = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const bool remove = kill % 4 == 3;
        QProcess child;
        env.insert(QLatin1String(kDeleteVariable), remove ? "1" : "0");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY2(child.waitForReadyRead(20000), child.readAllStandardError().constData());
        QThread::usleep(QRandomGenerator::global()->bounded(spreadUs));
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // The place the last command that finished left the disk in.
        const QStringList said =
            QString::fromLatin1(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const int last = said.last().section(u' ', 1).toInt();
        const bool midChange = QFile::exists(root + QStringLiteral("PendingChange.dat"));
        cut += midChange;

        test::ScriptedPrompt prompt;
        Database database(prompt);
        database.load(DatabaseFolder(root));
        QVERIFY2(prompt.requests().isEmpty(), qPrintable(prompt.texts().join(u'\n')));
        const int place = placeOf(database);
        const int after = remove ? -1 : (last + 1) % 4;
        QVERIFY2(
            place == last || place == after,
            qPrintable(QStringLiteral("kill %1: at %2 after %3").arg(kill).arg(place).arg(last)));
        if (midChange && !remove)
            (place == last ? back : forward) += 1;

        // Whole in one place or nowhere, nothing left anywhere else.
        const QStringList files = QDir(root).entryList({"Disk*"}, QDir::Files) +
                                  QDir(root + QStringLiteral("Cat")).entryList({"Disk*"});
        QCOMPARE(files.size(), place < 0 ? 0 : 4);
        for (int i = 0; i < 4 && place >= 0; ++i)
            QCOMPARE(test::readFile(database.folder().recordFile(kPlaces[place], suffixes[i])),
                     original[i]);
        QVERIFY(!QFile::exists(root + QStringLiteral("PendingChange.dat")));

        // Every comment under the disk's key, or none when it is gone; the other disk's kept.
        const QList<CommentEntry> entries = store.entries();
        QCOMPARE(entries.size(), 1 + (place < 0 ? 0 : kComments));
        for (const CommentEntry& e : entries)
            QVERIFY2(e.key == u".\\Other\\x" || e.key.startsWith(kPlaces[place] + u'\\'),
                     qPrintable(e.key));
        if (place < 0) {
            ++deletes;
            writeDiskWithComments(root);
        }
    }
    qInfo("%d kills within %d ms of the child being ready, %d in the middle of a change: %d "
          "finished, %d rolled back; %d deletes done",
          kKills, spreadUs / 1000, cut, forward, back, deletes);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        runChild(qEnvironmentVariable(kChildVariable),
                 qEnvironmentVariable(kDeleteVariable) == u"1");
    TestChangeCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_changecrash.moc"
