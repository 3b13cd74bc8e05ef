#include "DataTable.h"
#include "FailingCalls.h"
#include "Fixtures.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "store/Database.h"
#include "store/Keys.h"
#include "store/MemoryTree.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

namespace {

// The entries of a folder in the file system's own order, straight from readdir.
QStringList listingOrder(const QString& folder)
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    while (dirent* e = dir ? readdir(dir) : nullptr)
        names << QFile::decodeName(e->d_name);
    if (dir)
        closedir(dir);
    return names;
}

const QByteArray kGoodInfo = "25\r\nE:\\\r\n1.00MB\r\nd\r\n 0 \r\n";

QStringList paths(const DiskTable& table)
{
    QStringList out;
    for (const DiskEntry& e : table)
        out << e.path;
    return out;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + u'/';
    }

    // Record files may be links to files kept elsewhere; a link to nothing is no record. A link
    // that cannot be followed (here a loop) is reported when it is read, and never makes its
    // record look incomplete, which would offer to delete it.
    void linkedRecordsLoad()
    {
        QTemporaryDir other;
        const QString elsewhere = other.path() + u'/';
        test::writeDisk(elsewhere, QStringLiteral("Linked"), {}, "\":\"\n");
        for (const char* suffix : {".i", ".t", ".f"})
            QVERIFY(QFile::link(elsewhere + QStringLiteral("Linked") + QLatin1String(suffix),
                                m_root + QStringLiteral("Linked") + QLatin1String(suffix)));
        QVERIFY(
            QFile::link(m_root + QStringLiteral("nowhere.i"), m_root + QStringLiteral("Gone.i")));
        for (const QString& loop : {QStringLiteral("Looped.t"), QStringLiteral("Loop.i")}) {
            test::writeDisk(m_root, loop.chopped(2), {}, "\":\"\n");
            QFile::remove(m_root + loop);
            QVERIFY(QFile::link(m_root + loop, m_root + loop));
        }
        ScriptedPrompt prompt;
        Database db(prompt);
        db.load(DatabaseFolder(m_root));
        QStringList loaded = paths(db.disks());
        loaded.sort();
        QCOMPARE(loaded, (QStringList{".\\Linked", ".\\Looped"}));
        QCOMPARE(prompt.texts(), QStringList{"The info file of disk .\\Loop cannot be read. The "
                                             "disk is not loaded."});
    }

    void sampleDatabase()
    {
        test::copyFixture(QStringLiteral("sampledb"), m_root);
        ScriptedPrompt prompt;
        MemoryTree tree;
        Database db(prompt, &tree);
        db.load(DatabaseFolder(m_root));

        // The pseudo-catalogue's good disks first, then each catalogue's, all in listing order.
        QStringList expected, catalogues;
        for (const QString& name : listingOrder(m_root)) {
            if (name == QLatin1String("Photos.i") || name == QLatin1String("Music.i"))
                expected << QStringLiteral(".\\") + name.chopped(2);
        }
        for (const QString& name : listingOrder(m_root)) {
            if (name == QLatin1String("Holidays") || name == QLatin1String("Empty"))
                catalogues << name + u'\\';
            if (name == QLatin1String("Holidays")) {
                for (const QString& disk : listingOrder(m_root + name)) {
                    if (disk.endsWith(QLatin1String(".i")))
                        expected << name + u'\\' + disk.chopped(2);
                }
            }
        }
        QCOMPARE(paths(db.disks()), expected);

        const DiskEntry& photos = db.disks().at(db.findDisk(u".\\Photos\\Games\\"));
        QCOMPARE(photos.source + photos.freeSpace + photos.date,
                 QStringLiteral("D:\\1234.56MB04/12/2026 21:54:37"));
        QCOMPARE(int(db.disks().at(db.findDisk(u".\\Music\\")).foldersOnly), 1);

        // Disks of the pseudo-catalogue at the top level beside the catalogues, each with its
        // placeholder; scratch, backup, stray and bad records nowhere.
        QStringList top = tree.childKeys({});
        for (const QString& key : top)
            QVERIFY(tree.find(key)->tag == tags::kCatalogue ? catalogues.removeOne(key)
                                                            : expected.removeOne(key.chopped(1)));
        QVERIFY(catalogues.isEmpty());
        QCOMPARE(tree.childKeys(QStringLiteral(".\\Photos\\")), QStringList{".\\Photos\\*"});
        const TreeNode* winter = tree.find(QStringLiteral("Holidays\\Winter\\"));
        QVERIFY(winter && winter->text == QLatin1String("Winter") &&
                winter->image == QLatin1String("disk"));
        QVERIFY(tree.find(QStringLiteral("Holidays\\"))->sortedChildren);
        QVERIFY(tree.childKeys(QStringLiteral("Empty\\")).isEmpty());

        QStringList texts = prompt.texts();
        texts.sort();
        QCOMPARE(texts, (QStringList{
                            "Disk .\\Old is not in the correct format for this version of Dovrin.",
                            "The disk .\\Broken is corrupt. Shall I delete it?",
                            "The info file of disk .\\Short is damaged: it needs five lines, the "
                            "last a number. "
                            "The disk is not loaded."}));
        QCOMPARE(tree.statusTexts(),
                 (QStringList{"Please wait... Initialising", " 4 disks catalogued"}));
        QVERIFY(QFile::exists(m_root + QStringLiteral("Old.t")));

        db.load(DatabaseFolder(m_root)); // loading again starts from empty
        QCOMPARE(db.disks().count(), 4);
        QCOMPARE(tree.childKeys(QStringLiteral("Holidays\\")).size(), 2);
    }

    // Whichever call fails while loading, no file changes (a lock file may come), and each disk
    // is loaded or named in a message.
    void loadSurvivesAFailingCall()
    {
        test::writeSampleDatabase(m_root);
        auto everyFile = [this] {
            QByteArray all;
            for (QDirIterator it(m_root, QDir::Files, QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString path = it.next();
                if (!path.endsWith(u".lock"))
                    all += path.toUtf8() + '=' + test::readFile(path) + '|';
            }
            return all;
        };
        const QByteArray before = everyFile();
        test::forEachFailingCall(m_root, [&](test::Fault& fault) {
            ScriptedPrompt prompt;
            Database db(prompt);
            fault.during([&] { db.load(DatabaseFolder(m_root)); });
            const QByteArray where = fault.where(prompt.texts().join(u'|'));
            QVERIFY2(everyFile() == before, where);
            for (const char* disk : {".\\Loose", "Holidays\\Photos", "Holidays\\Videos"})
                QVERIFY2(db.findDisk(QString::fromLatin1(disk) + u'\\') > 0 || where.contains(disk),
                         where);
        });
    }

    void corruptQuestion_data()
    {
        test::table<PromptAnswer>(
            {"answer"}, {{"yes deletes", PromptAnswer::Yes}, {"no keeps", PromptAnswer::No}});
    }

    void corruptQuestion()
    {
        QFETCH(PromptAnswer, answer);
        test::writeRecord(m_root + QStringLiteral("Holidays/Before"), kGoodInfo);
        test::writeRecord(m_root + QStringLiteral("Holidays/After"), kGoodInfo);
        test::writeRecord(m_root + QStringLiteral("Holidays/Photos"), kGoodInfo);
        QFile::remove(m_root + QStringLiteral("Holidays/Photos.f"));

        ScriptedPrompt prompt;
        prompt.answer(answer);
        Database db(prompt);
        db.load(DatabaseFolder(m_root));
        QCOMPARE(prompt.requests().size(), 1);
        const PromptRequest& q = prompt.requests().first();
        QCOMPARE(q.title, QStringLiteral("Disk corrupt!"));
        QCOMPARE(q.text,
                 QStringLiteral("The disk Holidays\\Photos is corrupt. Shall I delete it?"));
        QVERIFY(q.buttons == PromptButtons::YesNo && q.icon == PromptIcon::Exclamation);
        QCOMPARE(db.disks().count(), 2);
        QCOMPARE(db.findDisk(u"Holidays\\Photos\\"), 0);
        const bool kept = answer == PromptAnswer::No;
        QCOMPARE(QFile::exists(m_root + QStringLiteral("Holidays/Photos.i")), kept);
        QCOMPARE(QFile::exists(m_root + QStringLiteral("Holidays/Photos.t")), kept);
    }

    void undecodableNames()
    {
        // Windows-1252 names copied byte for byte: reported, never half-loaded, the rest loads.
        const QByteArray root = QFile::encodeName(m_root);
        for (const char* name : {"caf\xe9.i", "caf\xe9.t", "caf\xe9.f", "notes\xe9.txt"})
            fclose(fopen(root + name, "w"));
        QVERIFY(mkdir(root + "Cat\xe9", 0700) == 0);
        test::writeRecord(m_root + QStringLiteral("Good/ok"), kGoodInfo);
        ScriptedPrompt prompt;
        Database db(prompt);
        db.load(DatabaseFolder(m_root));
        QCOMPARE(paths(db.disks()), QStringList{"Good\\ok"});
        QStringList texts = prompt.texts();
        texts.sort();
        QCOMPARE(texts,
                 (QStringList{"The name Caté in the database folder is not valid UTF-8 text, so "
                              "Dovrin cannot open it. Rename it to load it.",
                              "The name café.i in the database folder is not valid UTF-8 text, "
                              "so Dovrin cannot open it. Rename it to load it."}));
        // QTemporaryDir cannot see these names either.
        for (const char* name : {"caf\xe9.i", "caf\xe9.t", "caf\xe9.f", "notes\xe9.txt"})
            std::remove(root + name);
        rmdir(root + "Cat\xe9");
    }

    void operations_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected"); // catalogue, catalogueName, disk, recordPath,
                                                   // diskName, parent, lastName
        auto row = [](const char* name, const QString& key, QStringList e) {
            QTest::newRow(name) << key << e;
        };
        row("folder", QStringLiteral("Holidays\\Photos\\Games\\Saves\\"),
            {"Holidays\\", "Holidays", "Holidays\\Photos\\", "Holidays\\Photos", "Photos",
             "Holidays\\Photos\\Games\\", "Saves"});
        row("pseudo disk", QStringLiteral(".\\Photos\\"),
            {".\\", ".", ".\\Photos\\", ".\\Photos", "Photos", ".\\", "Photos"});
        row("file", QStringLiteral("Holidays\\Photos\\Games\\readme.txt"),
            {"Holidays\\", "Holidays", "Holidays\\Photos\\", "Holidays\\Photos", "Photos",
             "Holidays\\Photos\\Games\\", "readme.txt"});
        row("catalogue", QStringLiteral("Holidays\\"),
            {"Holidays\\", "Holidays", "", "Holidays\\", "", "", ""});
        row("empty", QString(), {"", "", "", "", "", "", ""});
    }

    void operations()
    {
        auto [key, expected] = test::fetch<QString, QStringList>("key", "expected");
        const QStringList actual{keys::catalogue(key),  keys::catalogueName(key), keys::disk(key),
                                 keys::recordPath(key), keys::diskName(key),      keys::parent(key),
                                 keys::lastName(key)};
        QCOMPARE(actual, expected);
    }

    void findDisk_data()
    {
        test::table<QString, int>({"key", "index"}, {{"disk key", "Holidays\\Photos\\", 2},
                                                     {"pseudo disk file", ".\\Photos\\a.txt", 1},
                                                     {"case differs", "holidays\\photos\\", 0},
                                                     {"catalogue key", "Holidays\\", 0},
                                                     {"prefix only", "Holidays\\Photo\\", 0}});
    }

    void findDisk()
    {
        auto [key, index] = test::fetch<QString, int>("key", "index");
        DiskTable table;
        table.append({QStringLiteral(".\\Photos"), {}, {}, {}, 0});
        table.append({QStringLiteral("Holidays\\Photos"), {}, {}, {}, 0});
        table.append({QStringLiteral("Holidays\\Photos"), {}, {}, {}, 1}); // first match wins
        QCOMPARE(keys::findDisk(table, key), index);
    }

    void nameIsValid_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blanks and dots") << "My disk 1.2" << true;
        QTest::newRow("non-English") << QStringLiteral("Ferien Zürich ÉTÉ") << true;
        for (const QChar c : QStringLiteral("\\/:*?\"<>|")) {
            const QString name = QStringLiteral("ab") + c + QStringLiteral("cd");
            QTest::newRow(qPrintable(QStringLiteral("forbidden ") + c)) << name << false;
        }
    }

    void nameIsValid()
    {
        auto [name, valid] = test::fetch<QString, bool>("name", "valid");
        QCOMPARE(dovrin::nameIsValid(name), valid);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
