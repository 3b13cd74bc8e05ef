#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "store/Database.h"
#include "store/DiskRecord.h"
#include "store/MemoryTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <dirent.h>

using namespace dovrin;
using dovrin::test::ScriptedPrompt;

namespace {

// The names of a folder's entries in the file system's own order, through readdir directly.
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

QByteArray goodInfo(const char* source = "D:\\")
{
    return infoFileBytes({QString::fromLatin1(source), QStringLiteral("1.00MB"),
                          QStringLiteral("01/01/2026 10:00:00"), 0});
}

void writeRecord(const QString& root, const QString& relative, const QByteArray& info)
{
    test::writeFile(root + relative + QStringLiteral(".i"), info);
    test::writeFile(root + relative + QStringLiteral(".t"), {});
    test::writeFile(root + relative + QStringLiteral(".f"), "\":\"\r\n");
}

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
    void initTestCase() { test::pinLocale(); }
    void init();
    void sampleLoadsInListingOrder();
    void sampleEntriesAndTree();
    void corruptQuestion_data();
    void corruptQuestion();
    void badInfoFiles_data();
    void badInfoFiles();
    void diskCountText_data();
    void diskCountText();
    void removeFirstOfThree();
    void moreThan1000Disks();
    void moreThan1000Catalogues();

private:
    void loadSample(Database& db);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

void TestDatabase::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + u'/';
}

void TestDatabase::loadSample(Database& db)
{
    test::copyFixture(QStringLiteral("sampledb"), m_root);
    db.load(DatabaseFolder(m_root));
}

void TestDatabase::sampleLoadsInListingOrder()
{
    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    loadSample(db);

    // The pseudo-catalogue's good disks first, then each catalogue's, all in listing order.
    QStringList expected;
    for (const QString& name : listingOrder(m_root)) {
        if (name == QLatin1String("Photos.i") || name == QLatin1String("Music.i"))
            expected << QStringLiteral(".\\") + name.chopped(2);
    }
    for (const QString& catalogue : listingOrder(m_root)) {
        if (catalogue == QLatin1String("Holidays")) {
            for (const QString& name : listingOrder(m_root + catalogue)) {
                if (name.endsWith(QLatin1String(".i")))
                    expected << catalogue + u'\\' + name.chopped(2);
            }
        }
    }
    QCOMPARE(paths(db.disks()), expected);

    QStringList catalogues;
    for (const QString& key : tree.childKeys({})) {
        if (tree.find(key)->tag == tags::kCatalogue)
            catalogues << key;
    }
    QStringList expectedCatalogues;
    for (const QString& name : listingOrder(m_root)) {
        if (name == QLatin1String("Holidays") || name == QLatin1String("Empty"))
            expectedCatalogues << name + u'\\';
    }
    QCOMPARE(catalogues, expectedCatalogues);
}

void TestDatabase::sampleEntriesAndTree()
{
    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    loadSample(db);

    const DiskEntry& photos = db.disks().at(db.findDisk(u".\\Photos\\"));
    QCOMPARE(photos.source, QStringLiteral("D:\\"));
    QCOMPARE(photos.freeSpace, QStringLiteral("1234.56MB"));
    QCOMPARE(photos.date, QStringLiteral("04/12/2026 21:54:37"));
    QCOMPARE(int(photos.foldersOnly), 0);
    QCOMPARE(int(db.disks().at(db.findDisk(u".\\Music\\")).foldersOnly), 1);
    QCOMPARE(db.disks().at(db.findDisk(u"Holidays\\Summer 2019\\Games\\")).source,
             QStringLiteral("E:\\Data\\Old\\"));

    // A disk of the pseudo-catalogue stands at the top level; a catalogue's below its node.
    QVERIFY(tree.childKeys({}).contains(QStringLiteral(".\\Photos\\")));
    QCOMPARE(tree.childKeys(QStringLiteral(".\\Photos\\")), QStringList{".\\Photos\\*"});
    const TreeNode* winter = tree.find(QStringLiteral("Holidays\\Winter\\"));
    QVERIFY(winter);
    QCOMPARE(winter->text, QStringLiteral("Winter"));
    QCOMPARE(winter->image, QStringLiteral("disk"));
    QCOMPARE(winter->tag, tags::kDisk);
    QVERIFY(tree.childKeys(QStringLiteral("Holidays\\")).contains(winter->key));
    QVERIFY(tree.find(QStringLiteral("Holidays\\"))->sortedChildren);
    QVERIFY(tree.childKeys(QStringLiteral("Empty\\")).isEmpty());
    QVERIFY(!tree.find(QStringLiteral(".\\Old\\")));
    QVERIFY(!tree.find(QStringLiteral(".\\Short\\")));

    // One report per bad record; scratch, backup and stray files say nothing.
    QStringList texts = prompt.texts();
    texts.sort();
    QCOMPARE(texts, (QStringList{
        "Disk .\\Old is not in the correct format for this version of Dovrin.",
        "The disk .\\Broken is corrupt. Shall I delete it?",
        "The info file of disk .\\Short is damaged: it needs five lines, the last a number. "
        "The disk is not loaded."}));
    QCOMPARE(tree.statusTexts(),
             (QStringList{"Please wait... Initialising", " 4 disks catalogued"}));
    QCOMPARE(tree.fileListClears(), 1);

    // Loading again starts from empty.
    db.load(DatabaseFolder(m_root));
    QCOMPARE(db.disks().count(), 4);
    QCOMPARE(tree.childKeys(QStringLiteral("Holidays\\")).size(), 2);
}

void TestDatabase::corruptQuestion_data()
{
    QTest::addColumn<PromptAnswer>("answer");
    QTest::addColumn<bool>("kept");
    QTest::newRow("yes deletes") << PromptAnswer::Yes << false;
    QTest::newRow("no keeps") << PromptAnswer::No << true;
}

void TestDatabase::corruptQuestion()
{
    QFETCH(PromptAnswer, answer);
    QFETCH(bool, kept);
    // Holidays\Photos has no file-list file; its neighbours load either way.
    writeRecord(m_root, QStringLiteral("Holidays/Before"), goodInfo());
    writeRecord(m_root, QStringLiteral("Holidays/After"), goodInfo());
    test::writeFile(m_root + QStringLiteral("Holidays/Photos.i"), goodInfo());
    test::writeFile(m_root + QStringLiteral("Holidays/Photos.t"), {});

    ScriptedPrompt prompt;
    prompt.answer(answer);
    Database db(prompt);
    db.load(DatabaseFolder(m_root));

    QCOMPARE(prompt.requests().size(), 1);
    const PromptRequest& q = prompt.requests().first();
    QCOMPARE(q.title, QStringLiteral("Disk corrupt!"));
    QCOMPARE(q.text, QStringLiteral("The disk Holidays\\Photos is corrupt. Shall I delete it?"));
    QCOMPARE(q.buttons, PromptButtons::YesNo);
    QCOMPARE(q.icon, PromptIcon::Exclamation);
    QCOMPARE(db.disks().count(), 2);
    QCOMPARE(db.findDisk(u"Holidays\\Photos\\"), 0);
    QCOMPARE(QFile::exists(m_root + QStringLiteral("Holidays/Photos.i")), kept);
    QCOMPARE(QFile::exists(m_root + QStringLiteral("Holidays/Photos.t")), kept);
}

void TestDatabase::badInfoFiles_data()
{
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QString>("title");
    QTest::newRow("empty") << QByteArray() << "Incompatible";
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x00\x00\xff\xfe", 10) << "Incompatible";
    QTest::newRow("three lines") << QByteArray("25\r\nD:\\\r\n1MB\r\n") << "Disk not loaded";
    QTest::newRow("flag not a number") << QByteArray("25\r\nD:\\\r\n1MB\r\nd\r\n\x80\x81\r\n")
                                       << "Disk not loaded";
}

void TestDatabase::badInfoFiles()
{
    QFETCH(QByteArray, info);
    QFETCH(QString, title);
    writeRecord(m_root, QStringLiteral("Good"), goodInfo("E:\\"));
    writeRecord(m_root, QStringLiteral("Bad"), info);

    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    db.load(DatabaseFolder(m_root));
    QCOMPARE(prompt.titles(), QStringList{title});
    QCOMPARE(paths(db.disks()), QStringList{".\\Good"});
    QCOMPARE(db.disks().at(1).source, QStringLiteral("E:\\"));
    QCOMPARE(tree.childKeys({}), (QStringList{".\\Good\\"}));
    QVERIFY(!db.addDisk(QStringLiteral(".\\Bad\\")));
    QCOMPARE(db.disks().count(), 1);
}

void TestDatabase::diskCountText_data()
{
    QTest::addColumn<int>("disks");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << " 0 disks catalogued";
    QTest::newRow("one") << 1 << " 1 disk catalogued";
    QTest::newRow("two") << 2 << " 2 disks catalogued";
}

void TestDatabase::diskCountText()
{
    QFETCH(int, disks);
    QFETCH(QString, text);
    for (int i = 0; i < disks; ++i)
        writeRecord(m_root, QStringLiteral("Cat%1/Disk").arg(i), goodInfo());
    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    db.load(DatabaseFolder(m_root));
    QCOMPARE(db.diskCountText(), text);
    QCOMPARE(tree.statusTexts().last(), text);
}

void TestDatabase::removeFirstOfThree()
{
    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    db.load(DatabaseFolder(m_root));
    for (const char* name : {"A", "B", "C"}) {
        writeRecord(m_root, QStringLiteral("Cat/") + QLatin1String(name), goodInfo());
        QVERIFY(db.addDisk(QStringLiteral("Cat\\") + QLatin1String(name) + u'\\'));
    }
    db.removeDisk(QStringLiteral("Cat\\A\\"));
    QCOMPARE(paths(db.disks()), (QStringList{"Cat\\B", "Cat\\C"}));
    QCOMPARE(db.findDisk(u"Cat\\C\\"), 2);
    QVERIFY(!tree.find(QStringLiteral("Cat\\A\\")));
    QVERIFY(!tree.find(QStringLiteral("Cat\\A\\*")));
    QVERIFY(tree.find(QStringLiteral("Cat\\B\\*")));
    QCOMPARE(tree.fileListClears(), 2);
}

void TestDatabase::moreThan1000Disks()
{
    for (int i = 0; i < 1001; ++i)
        writeRecord(m_root, QStringLiteral("D%1").arg(i), goodInfo());
    writeRecord(m_root, QStringLiteral("Cat/Late"), goodInfo());
    writeRecord(m_root, QStringLiteral("Cat/Later"), goodInfo());

    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    db.load(DatabaseFolder(m_root));
    QCOMPARE(db.disks().count(), DiskTable::kCapacity);
    QCOMPARE(prompt.titles(), QStringList{"Too many disks"});
    QVERIFY(tree.find(QStringLiteral("Cat\\")));
    QVERIFY(tree.childKeys(QStringLiteral("Cat\\")).isEmpty());
    QCOMPARE(tree.statusTexts().last(), QStringLiteral(" 1000 disks catalogued"));
}

void TestDatabase::moreThan1000Catalogues()
{
    for (int i = 0; i < 1001; ++i)
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("C%1").arg(i)));
    ScriptedPrompt prompt;
    MemoryTree tree;
    Database db(prompt, &tree);
    db.load(DatabaseFolder(m_root));
    QCOMPARE(tree.childKeys({}).size(), 1000);
    QCOMPARE(prompt.titles(), QStringList{"Too many catalogues"});
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
