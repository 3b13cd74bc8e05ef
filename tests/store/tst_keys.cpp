#include "DataTable.h"
#include "store/DiskTable.h"
#include "store/Keys.h"

#include <QTest>

using namespace dovrin;

class TestKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:

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
    void nameIsValid();
};

void TestKeys::nameIsValid()
{
    auto [name, valid] = test::fetch<QString, bool>("name", "valid");
    QCOMPARE(dovrin::nameIsValid(name), valid);
}

QTEST_GUILESS_MAIN(TestKeys)
#include "tst_keys.moc"
