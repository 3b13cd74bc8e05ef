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
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("lines") << QByteArray("tmp\r\nbak\r\n") << QStringList{"tmp", "bak"};
        QTest::newRow("quoted") << QByteArray("\"tmp\"\r\n\"bak\"\r\n")
                                << QStringList{"tmp", "bak"};
        QTest::newRow("empty third ends the list")
            << QByteArray("tmp\r\nbak\r\n\r\nold\r\n") << QStringList{"tmp", "bak"};
        QTest::newRow("comma gives two")
            << QByteArray("tmp,bak\r\nold\r\n") << QStringList{"tmp", "bak", "old"};
        QTest::newRow("bare LF") << QByteArray("tmp\nbak") << QStringList{"tmp", "bak"};
        QTest::newRow("windows-1252") << QByteArray("\xe9t\xe9\r\n") << QStringList{"été"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QByteArray many;
        QStringList first100;
        for (int i = 0; i < 120; ++i) {
            many += "e" + QByteArray::number(i) + "\r\n";
            if (i < 100)
                first100 << QStringLiteral("e%1").arg(i);
        }
        QTest::newRow("at most 100") << many << first100;
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
        for (const QString& item : items) // names on Linux are UTF-8, whatever the file's encoding
            QVERIFY(list.rejects(item.toUtf8()));
    }

    void rejects_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("extension") << QByteArray("report.tmp") << true;
        QTest::newRow("plain ending") << QByteArray("notmp") << true;
        QTest::newRow("case kept") << QByteArray("REPORT.TMP") << false;
        QTest::newRow("inside only") << QByteArray("tmp.txt") << false;
        QTest::newRow("exact") << QByteArray("tmp") << true;
        QTest::newRow("shorter than item") << QByteArray("mp") << false;
        QTest::newRow("utf8 item") << QByteArray("photo.\xc3\xa9t\xc3\xa9") << true;
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
