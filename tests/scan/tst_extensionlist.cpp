#include "DataTable.h"
#include "TestFiles.h"
#include "scan/ExtensionList.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

class TestExtensionList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

    void reading_data()
    {
        const QStringList two{"tmp", "bak"};
        QByteArray many;
        QStringList first100;
        for (int i = 0; i < 120; ++i) {
            many += "e" + QByteArray::number(i) + "\r\n";
            if (i < 100)
                first100 << QStringLiteral("e%1").arg(i);
        }
        test::table<QByteArray, QStringList>(
            {"file", "items"}, {{"quoted", "\"tmp\"\r\n\"bak\"\r\n", two},
                                {"empty third ends the list", "tmp\r\nbak\r\n\r\nold\r\n", two},
                                {"comma gives two", "tmp,bak\r\nold\r\n", {"tmp", "bak", "old"}},
                                {"bare LF", "tmp\nbak", two},
                                {"windows-1252", "\xe9t\xe9\r\n", {QStringLiteral("été")}},
                                {"empty file", "", {}},
                                {"at most 100", many, first100}});
    }

    void reading()
    {
        auto [file, items] = test::fetch<QByteArray, QStringList>("file", "items");
        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        QCOMPARE(ExtensionList::read(folder).count(), 0); // missing file: nothing filtered
        test::writeFile(dir.filePath("Extensions.dat"), file);
        const ExtensionList list = ExtensionList::read(folder);
        QCOMPARE(list.items(), items);
    }

    void rejects_data()
    {
        test::table<QByteArray, bool>({"name", "rejected"},
                                      {{"plain ending", "notmp", true},
                                       {"case kept", "REPORT.TMP", false},
                                       {"exact", "tmp", true},
                                       {"shorter than item", "mp", false},
                                       {"utf8 item", "photo.\xc3\xa9t\xc3\xa9", true}});
    }

    void rejects()
    {
        auto [name, rejected] = test::fetch<QByteArray, bool>("name", "rejected");
        const ExtensionList list({"tmp", QString::fromUtf8("\xc3\xa9t\xc3\xa9")});
        QCOMPARE(list.rejects(name), rejected);
    }
    void writeReadsBack();
};

void TestExtensionList::writeReadsBack()
{
    QTemporaryDir dir;
    const DatabaseFolder folder(dir.path());
    QVERIFY(ExtensionList({"tmp", "bak"}).write(folder));
    QCOMPARE(test::readFile(dir.filePath("Extensions.dat")), QByteArray("tmp\r\nbak\r\n"));
    QCOMPARE(ExtensionList::readLines(folder), (QStringList{"tmp", "bak"}));
    QVERIFY(ExtensionList().write(folder));
    QCOMPARE(test::readFile(dir.filePath("Extensions.dat")), QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(TestExtensionList)
#include "tst_extensionlist.moc"
