#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "UiTestDatabase.h"
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
const char* const kChildVariable = "DOVRIN_CHANGE_CHILD";
// The disk's places, each reached from the one before by one command.
const QString kPlaces[] = {".\\Disk", ".\\Disk2", "Cat\\Disk2", "Cat\\Disk"};

int placeOf(const Database& database)
{
    for (int i = 0; i < 4; ++i) {
        if (database.findDisk(kPlaces[i] + u'\\') > 0)
            return i;
    }
    return -1;
}

// Answers the rename's input box with a name and every question with Yes.
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

[[noreturn]] void runChild(const QString& root, bool remove)
{
    ChildPrompt prompt;
    Database database(prompt);
    database.load(DatabaseFolder(root));
    int place = placeOf(database);
    std::printf("ready %d\n", place);
    std::fflush(stdout);
    if (remove) {
        const ChangeOutcome outcome =
            DiskChanges(database, prompt).remove(kPlaces[place] + u'\\').outcome;
        std::printf("deleted %d\n", int(outcome));
        std::fflush(stdout);
        ::pause();
    }
    for (;;) {
        const int next = (place + 1) % 4;
        DiskChanges changes(database, prompt);
        const QString key = kPlaces[place] + u'\\';
        ChangeResult result;
        if (keys::catalogue(key) == keys::catalogue(kPlaces[next] + u'\\')) {
            prompt.name = keys::lastName(kPlaces[next]);
            result = changes.rename(key);
        } else {
            result = changes.move(
                key, [&](const QString&) { return keys::catalogue(kPlaces[next] + u'\\'); });
        }
        if (result.outcome != ChangeOutcome::Done)
            std::_Exit(3);
        place = next;
        std::printf("at %d\n", place);
        std::fflush(stdout);
    }
}

void writeDiskWithComments(const QString& root)
{
    test::writeDisk(root, QStringLiteral("Disk"), {":\\Music"},
                    "\":\"\n\"a.txt\",1,#2025-01-06#\n\":\\Music\"\n\"b.mp3\",2,#2025-01-06#\n");
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
    QByteArray original[3];
    const char* const suffixes[] = {".i", ".t", ".f"};
    for (int i = 0; i < 3; ++i)
        original[i] = test::readFile(root + QStringLiteral("Disk") + QLatin1String(suffixes[i]));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildVariable), root);
    // Kills spread over one and a half rounds of four commands, as long as they take on this
    // machine (each syncs a few times).
    QElapsedTimer clock;
    clock.start();
    {
        test::ScriptedPrompt prompt;
        Database database(prompt);
        database.load(DatabaseFolder(root));
        for (int place = 0; place < 4; ++place) {
            const QString next = kPlaces[(place + 1) % 4];
            DiskChanges changes(database, prompt);
            if (place % 2 == 0) {
                prompt.answerInput(keys::lastName(next));
                QCOMPARE(int(changes.rename(kPlaces[place] + u'\\').outcome), 0);
            } else {
                const QString target = keys::catalogue(next + u'\\');
                QCOMPARE(
                    int(changes.move(kPlaces[place] + u'\\', [&](const QString&) { return target; })
                            .outcome),
                    0);
            }
        }
    }
    const int spreadMicroseconds =
        int(qBound(qint64(2000), clock.nsecsElapsed() / 1000 * 3 / 2, qint64(500000)));
    int cut = 0, forward = 0, back = 0, deletes = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const bool remove = kill % 4 == 3;
        QProcess child;
        env.insert(QStringLiteral("DOVRIN_CHANGE_DELETE"), remove ? "1" : "0");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForStarted());
        QVERIFY2(child.waitForReadyRead(20000), child.readAllStandardError().constData());
        QThread::usleep(QRandomGenerator::global()->bounded(spreadMicroseconds));
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QStringList said =
            QString::fromLatin1(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const int before = said.first().section(u' ', 1).toInt();
        int last = before;
        for (const QString& line : said) {
            if (line.startsWith(u"at "))
                last = line.section(u' ', 1).toInt();
        }
        const bool midChange = QFile::exists(root + QStringLiteral("PendingChange.dat"));
        cut += midChange;

        test::ScriptedPrompt prompt;
        Database database(prompt);
        database.load(DatabaseFolder(root));
        QVERIFY2(prompt.requests().isEmpty(), qPrintable(prompt.texts().join(u'\n')));
        const int place = placeOf(database);
        if (remove) {
            QVERIFY(place == before || place == -1);
        } else {
            QVERIFY2(place == last || place == (last + 1) % 4,
                     qPrintable(
                         QStringLiteral("kill %1: at %2 after %3").arg(kill).arg(place).arg(last)));
            if (midChange)
                (place == last ? back : forward) += 1;
        }

        // Whole in one place or nowhere, nothing left anywhere else.
        QStringList files = QDir(root).entryList({"Disk*"}, QDir::Files) +
                            QDir(root + QStringLiteral("Cat")).entryList({"Disk*"}, QDir::Files);
        QCOMPARE(files.size(), place < 0 ? 0 : 3);
        for (int i = 0; i < 3 && place >= 0; ++i)
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
    qInfo("%d kills within %d ms of the first command, %d of them in the middle of a change: "
          "%d finished, %d rolled back, %d deletes finished",
          kKills, spreadMicroseconds / 1000, cut, forward, back, deletes);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QCoreApplication app(argc, argv);
        runChild(qEnvironmentVariable(kChildVariable),
                 qEnvironmentVariable("DOVRIN_CHANGE_DELETE") == u"1");
    }
    QCoreApplication app(argc, argv);
    TestChangeCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_changecrash.moc"
