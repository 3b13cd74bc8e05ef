#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "UiTestDatabase.h"
#include "comments/CommentStore.h"
#include "manage/CatalogueChanges.h"
#include "manage/DiskChanges.h"
#include "store/Database.h"
#include "store/Keys.h"
#include "store/MemoryTree.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

namespace {

const QStringList kRecords = {".\\Loose", "Holidays\\Photos", "Holidays\\Videos"};
const QStringList kComments = {"Holidays\\Photos\\readme.txt", "Holidays\\Photos\\Games\\",
                               ".\\Loose\\a.txt", "Holidays\\Videos\\Clips\\"};

// Every record on disk: "Holidays\Photos" when its three files are there and nothing else
// of it is, else the record path and the suffixes found ("Holidays\Photos .f .t").
QStringList recordsOnDisk(const QString& root)
{
    QMap<QString, QStringList> found;
    QStringList folders{"."};
    folders += QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& folder : folders) {
        const QDir dir(root + u'/' + folder);
        for (const QString& name : dir.entryList(QDir::Files)) {
            const qsizetype dot = name.indexOf(u'.');
            if (folder != u"." || (!name.startsWith(QLatin1String("FileComments")) &&
                                   name != QLatin1String("PendingChange.lock")))
                found[folder + u'\\' + name.first(dot)].append(name.sliced(dot));
        }
    }
    QStringList records;
    for (auto it = found.begin(); it != found.end(); ++it) {
        it->sort();
        if (it.key().endsWith(QLatin1String("\\notes")) || it.key().startsWith(u"Hidden"))
            continue;
        records << (*it == QStringList{".f", ".i", ".t"} ? it.key()
                                                         : it.key() + u' ' + it->join(u' '));
    }
    return records;
}

QStringList replaced(QStringList list, const QString& from, const QString& to)
{
    for (QString& item : list)
        item.replace(from, to);
    return list;
}

QStringList without(QStringList list, const QString& prefix)
{
    list.removeIf([&](const QString& item) { return item.startsWith(prefix); });
    return list;
}

} // namespace

class TestChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }
    void commands_data();
    void commands();
    void chooserLeavesOutTheDisksCatalogue_data();
    void chooserLeavesOutTheDisksCatalogue();
};

void TestChanges::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("answer"); // a name, "yes"/"no", or the move's target
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("lastText"); // of the last message, question or input box
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("comments");
    QTest::addColumn<int>("searchCloses");

    const auto done = int(ChangeOutcome::Done), refused = int(ChangeOutcome::Refused),
               cancelled = int(ChangeOutcome::Cancelled), failed = int(ChangeOutcome::Failed);
    const QString catalogueRule = QStringLiteral(
        "Catalogue names cannot contain the following characters: \\ / : * ? \" < > |");
    const QString diskRule =
        QStringLiteral("Disk names cannot contain the following characters: \\ / : * ? \" < > |");
    const QString newName = QStringLiteral("Please enter a name for the new catalogue:");

    QTest::newRow("create trims") << "create"
                                  << ""
                                  << "  Work  " << QStringList() << done << newName << kRecords
                                  << kComments << 0;
    QTest::newRow("create taken") << "create"
                                  << ""
                                  << "Holidays" << QStringList() << refused
                                  << "Unable to create the catalogue" << kRecords << kComments << 0;
    QTest::newRow("create ?") << "create"
                              << ""
                              << "Wh?t" << QStringList() << refused << catalogueRule << kRecords
                              << kComments << 0;
    QTest::newRow("create blank") << "create"
                                  << ""
                                  << "   " << QStringList() << cancelled << newName << kRecords
                                  << kComments << 0;
    QTest::newRow("rename catalogue") << "renameCatalogue"
                                      << "Holidays\\"
                                      << " Trips" << QStringList() << done
                                      << "Please enter the new name for the catalogue 'Holidays':"
                                      << replaced(kRecords, "Holidays\\", "Trips\\")
                                      << replaced(kComments, "Holidays\\", "Trips\\") << 1;
    QTest::newRow("rename catalogue ?")
        << "renameCatalogue"
        << "Holidays\\"
        << "Tr?ps" << QStringList() << refused << catalogueRule << kRecords << kComments << 0;
    QTest::newRow("rename catalogue taken")
        << "renameCatalogue"
        << "Holidays\\"
        << "Empty" << QStringList() << refused << "Unable to rename the catalogue" << kRecords
        << kComments << 1;
    QTest::newRow("rename a disk key")
        << "renameCatalogue"
        << "Holidays\\Photos\\"
        << "X" << QStringList() << refused << "No catalogue selected" << kRecords << kComments << 0;
    QTest::newRow("delete catalogue not empty")
        << "deleteCatalogue"
        << "Empty\\"
        << "" << QStringList() << refused
        << "Cannot delete this catalogue. This is because either there are still disks in the "
           "catalogue,\ror there are still files in the directory where the catalogue is stored."
        << kRecords << kComments << 0;
    QTest::newRow("delete catalogue of hidden files")
        << "deleteCatalogue"
        << "Hidden\\"
        << "" << QStringList{"Hidden/.keep"} << failed
        << "Windows reported failure deleting the catalogue directory" << kRecords << kComments
        << 0;
    QTest::newRow("delete empty catalogue")
        << "deleteCatalogue"
        << "Bare\\"
        << "" << QStringList{"Bare/"} << done << QString() << kRecords << kComments << 1;
    QTest::newRow("delete disk") << "deleteDisk"
                                 << "Holidays\\Photos\\"
                                 << "yes" << QStringList() << done
                                 << "Are you sure you want to delete the disk: Holidays\\Photos?"
                                 << without(kRecords, "Holidays\\Photos")
                                 << without(kComments, "Holidays\\Photos\\") << 1;
    QTest::newRow("delete disk, no") << "deleteDisk"
                                     << "Holidays\\Photos\\"
                                     << "no" << QStringList() << cancelled
                                     << "Are you sure you want to delete the disk: "
                                        "Holidays\\Photos?"
                                     << kRecords << kComments << 0;
    QTest::newRow("delete with nothing selected")
        << "deleteDisk"
        << ""
        << "yes" << QStringList() << refused << "No disk selected" << kRecords << kComments << 0;
    QTest::newRow("rename loose disk")
        << "renameDisk"
        << ".\\Loose\\"
        << "Tight " << QStringList() << done << "Please enter the new name for the disk 'Loose':"
        << QStringList{".\\Tight", "Holidays\\Photos", "Holidays\\Videos"}
        << replaced(kComments, ".\\Loose\\", ".\\Tight\\") << 1;
    QTest::newRow("rename disk taken") << "renameDisk"
                                       << "Holidays\\Photos\\"
                                       << "Videos" << QStringList() << refused
                                       << "Unable to rename the disk" << kRecords << kComments << 1;
    QTest::newRow("rename disk ?")
        << "renameDisk"
        << "Holidays\\Photos\\"
        << "Ph?tos" << QStringList() << refused << diskRule << kRecords << kComments << 0;
    QTest::newRow("move to no catalogue")
        << "moveDisk"
        << "Holidays\\Photos\\"
        << ".\\" << QStringList() << done << QString()
        << QStringList{".\\Loose", ".\\Photos", "Holidays\\Videos"}
        << replaced(kComments, "Holidays\\Photos\\", ".\\Photos\\") << 1;
    QTest::newRow("move onto a namesake")
        << "moveDisk"
        << ".\\Loose\\"
        << "Holidays\\" << QStringList{"Holidays/Loose"} << refused
        << "There is already a disk with this name in the target catalogue"
        << QStringList{".\\Loose", "Holidays\\Loose", "Holidays\\Photos", "Holidays\\Videos"}
        << kComments << 0;
    QTest::newRow("move cancelled")
        << "moveDisk"
        << ".\\Loose\\"
        << ":" << QStringList() << cancelled << QString() << kRecords << kComments << 0;
}

void TestChanges::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, key);
    QFETCH(QString, answer);
    QFETCH(QStringList, setup);
    QFETCH(int, outcome);
    QFETCH(QString, lastText);
    QFETCH(QStringList, records);
    QFETCH(QStringList, comments);
    QFETCH(int, searchCloses);

    QTemporaryDir dir;
    const QString root = dir.path();
    test::writeSampleDatabase(root);
    for (const QString& item : setup) {
        if (item.endsWith(u'/'))
            QDir().mkpath(root + u'/' + item);
        else if (item.contains(u"/."))
            test::writeFile(root + u'/' + item, {});
        else
            test::writeDisk(root, item, {}, "\":\"\n");
    }
    CommentStore store{DatabaseFolder(root)};
    for (const QString& commentKey : kComments)
        QVERIFY(store.set(commentKey, QStringLiteral("note")));

    ScriptedPrompt prompt;
    MemoryTree tree;
    Database database(prompt, &tree);
    database.load(DatabaseFolder(root));
    prompt.clear();
    if (answer == u"yes" || answer == u"no")
        prompt.answer(answer == u"yes" ? PromptAnswer::Yes : PromptAnswer::No);
    else
        prompt.answerInput(answer);
    int closes = 0;
    const ChangeHooks hooks{[&] { ++closes; }, {}};

    ChangeResult result;
    QString leftOut;
    if (command == u"create")
        result = CatalogueChanges(database, prompt, hooks).create();
    else if (command == u"renameCatalogue")
        result = CatalogueChanges(database, prompt, hooks).rename(key);
    else if (command == u"deleteCatalogue")
        result = CatalogueChanges(database, prompt, hooks).remove(key);
    else if (command == u"deleteDisk")
        result = DiskChanges(database, prompt, hooks).remove(key);
    else if (command == u"renameDisk")
        result = DiskChanges(database, prompt, hooks).rename(key);
    else
        result = DiskChanges(database, prompt, hooks).move(key, [&](const QString& leaveOut) {
            leftOut = leaveOut;
            return answer;
        });

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(prompt.requests().isEmpty() ? QString() : prompt.requests().last().text, lastText);
    QCOMPARE(recordsOnDisk(root), records);
    QStringList stored;
    for (const CommentEntry& e : store.entries())
        stored << e.key;
    QCOMPARE(stored, comments);
    QCOMPARE(closes, searchCloses);
    QVERIFY(!QFile::exists(root + QStringLiteral("/PendingChange.dat")));
    if (command == u"moveDisk")
        QCOMPARE(leftOut, keys::catalogueName(key));
    if (result.outcome != ChangeOutcome::Done)
        return;

    // The table and the tree agree with the files.
    QStringList loaded;
    for (const DiskEntry& disk : database.disks())
        loaded << disk.path;
    loaded.sort();
    QCOMPARE(loaded, records);
    if (command == u"create") {
        QVERIFY(QFileInfo(root + QStringLiteral("/Work")).isDir());
        QCOMPARE(tree.find(QStringLiteral("Work\\"))->tag, tags::kCatalogue);
    }
    if (command.endsWith(u"Disk") && command != u"deleteDisk") {
        // The node of a disk of <no catalogue> stands at the top level.
        const auto parent = std::find_if(tree.entries().begin(), tree.entries().end(),
                                         [&](const auto& e) { return e.node.key == result.key; });
        QVERIFY(parent != tree.entries().end());
        QCOMPARE(parent->parentKey,
                 keys::catalogue(result.key) == u".\\" ? QString() : keys::catalogue(result.key));
        QVERIFY(tree.find(result.key + u'*'));
    }
    if (command == u"moveDisk")
        QCOMPARE(database.disks().at(database.disks().count()).path, result.key.chopped(1));
    if (command == u"renameCatalogue")
        QCOMPARE(tree.childKeys(result.key).size(), 2);
}

void TestChanges::chooserLeavesOutTheDisksCatalogue_data()
{
    QTest::addColumn<QString>("leaveOut");
    QTest::addColumn<QStringList>("choices"); // sorted, but for the first
    // Letter case counts: "holidays" is another catalogue.
    QTest::newRow("a catalogue's disk")
        << "Holidays" << QStringList{"<no catalogue>", "Empty", "holidays"};
    QTest::newRow("a loose disk") << "." << QStringList{"Empty", "Holidays", "holidays"};
}

void TestChanges::chooserLeavesOutTheDisksCatalogue()
{
    QFETCH(QString, leaveOut);
    QFETCH(QStringList, choices);
    QTemporaryDir dir;
    test::writeSampleDatabase(dir.path());
    QDir(dir.path()).mkdir(QStringLiteral("holidays"));
    QDir(dir.path()).mkdir(QStringLiteral("No:Catalogue"));
    QStringList offered = catalogueChoices(DatabaseFolder(dir.path()), leaveOut);
    if (leaveOut != u".")
        QCOMPARE(offered.takeFirst(), QStringLiteral("<no catalogue>"));
    offered.sort();
    choices.removeOne(QStringLiteral("<no catalogue>"));
    QCOMPARE(offered, choices);
    QCOMPARE(targetOfChoice(QStringLiteral("<no catalogue>")), QStringLiteral(".\\"));
}

QTEST_GUILESS_MAIN(TestChanges)
#include "tst_changes.moc"
