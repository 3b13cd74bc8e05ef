#include "TestFiles.h"
#include "store/DiskRecord.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;

Q_DECLARE_METATYPE(InfoReadStatus)

class TestDiskRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }
    void infoFile_data();
    void infoFile();
    void infoFileBytes();
    void treeFile();
    void fileList_data();
    void fileList();
    void fileListRoundTrip();
    void fileListHugeLine();

private:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        test::writeFile(path, bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

void TestDiskRecord::infoFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<InfoReadStatus>("status");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("foldersOnly");

    using S = InfoReadStatus;
    QTest::newRow("windows") << QByteArray("25\r\nD:\\\r\n1234.56MB\r\n04/12/2026 21:54:37\r\n 0 \r\n")
                             << S::Ok << "D:\\" << 0;
    QTest::newRow("bare LF, no final line end") << QByteArray("25\n/media/x/\n0.00MB\nd\n 1 ")
                                               << S::Ok << "/media/x/" << 1;
    QTest::newRow("windows-1252 source") << QByteArray("25\r\nE:\\Fotos \xe9t\xe9\\\r\n1MB\r\nd\r\n 0 \r\n")
                                         << S::Ok << QString::fromUtf8("E:\\Fotos été\\") << 0;
    QTest::newRow("four lines") << QByteArray("25\r\nD:\\\r\n1MB\r\nd\r\n") << S::Malformed << "" << 0;
    QTest::newRow("empty fifth line") << QByteArray("25\r\nD:\\\r\n1MB\r\nd\r\n\r\n") << S::Malformed << "" << 0;
    QTest::newRow("letters in fifth") << QByteArray("25\r\nD:\\\r\n1MB\r\nd\r\nyes\r\n") << S::Malformed << "" << 0;
    QTest::newRow("fifth past 16 bits") << QByteArray("25\r\nD:\\\r\n1MB\r\nd\r\n 70000 \r\n") << S::Malformed << "" << 0;
    QTest::newRow("version 24") << QByteArray("24\r\nD:\\\r\n1MB\r\nd\r\n 0 \r\n") << S::WrongVersion << "" << 0;
    QTest::newRow("version with blank") << QByteArray("25 \r\nD:\\\r\n1MB\r\nd\r\n 0 \r\n") << S::WrongVersion << "" << 0;
    QTest::newRow("empty file") << QByteArray() << S::WrongVersion << "" << 0;
    QTest::newRow("binary") << QByteArray("\x00\xff\x13\x80\r\n\x01", 7) << S::WrongVersion << "" << 0;
}

void TestDiskRecord::infoFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(InfoReadStatus, status);
    QFETCH(QString, source);
    QFETCH(int, foldersOnly);

    DiskInfo info;
    info.source = QStringLiteral("untouched");
    QCOMPARE(readInfoFile(write(QStringLiteral("x.i"), bytes), info), status);
    if (status == InfoReadStatus::Ok) {
        QCOMPARE(info.source, source);
        QCOMPARE(int(info.foldersOnly), foldersOnly);
    } else {
        QCOMPARE(info.source, QStringLiteral("untouched")); // never half-filled
    }
}

void TestDiskRecord::infoFileBytes()
{
    const DiskInfo info{QStringLiteral("/media/alice/PHOTOS/"), QStringLiteral("1234.56MB"),
                        QStringLiteral("04/12/2026 21:54:37"), 1};
    const QByteArray bytes = dovrin::infoFileBytes(info);
    QCOMPARE(bytes, QByteArray("25\r\n/media/alice/PHOTOS/\r\n1234.56MB\r\n04/12/2026 21:54:37\r\n 1 \r\n"));
    DiskInfo back;
    QCOMPARE(readInfoFile(write(QStringLiteral("r.i"), bytes), back), InfoReadStatus::Ok);
    QCOMPARE(back.source, info.source);
    QCOMPARE(back.freeSpace, info.freeSpace);
    QCOMPARE(back.date, info.date);
    QCOMPARE(back.foldersOnly, info.foldersOnly);
    QCOMPARE(readInfoFile(m_dir.filePath(QStringLiteral("missing.i")), back), InfoReadStatus::Unreadable);
}

void TestDiskRecord::treeFile()
{
    QStringList keys;
    const QString path = write(QStringLiteral("x.t"), ":\\Games\r\n:\\Games\\Saves, old\r\n\r\n:\\Music\n");
    QVERIFY(readTreeFile(path, keys));
    QCOMPARE(keys, (QStringList{":\\Games", ":\\Games\\Saves, old", ":\\Music"}));
    keys.clear();
    QVERIFY(readTreeFile(write(QStringLiteral("empty.t"), {}), keys));
    QVERIFY(keys.isEmpty());
    QVERIFY(!readTreeFile(m_dir.filePath(QStringLiteral("none.t")), keys));
}

void TestDiskRecord::fileList_data()
{
    // Items as "F key" or "name|size|record date text"; an error expected when the last
    // entry is "error".
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("root only") << QByteArray("\":\"\r\n") << QStringList{"F :"};
    QTest::newRow("windows sizes")
        << QByteArray("\":\"\r\n\"readme.txt\",1234.0000,#2026-03-01 10:15:00#\r\n"
                      "\":\\Games\"\r\n\"big.iso\",5000000000,#2026-01-31#\r\n")
        << QStringList{"F :", "readme.txt|1234|#2026-03-01 10:15:00#", "F :\\Games",
                       "big.iso|5000000000|#2026-01-31#"};
    QTest::newRow("comma in names, LF")
        << QByteArray("\":\\a,b\"\n\"x,y.txt\",0,#1899-12-30#\n")
        << QStringList{"F :\\a,b", "x,y.txt|0|#1899-12-30#"};
    QTest::newRow("time only") << QByteArray("\":\"\r\n\"t\",1,#10:00:00#\r\n")
                               << QStringList{"F :", "t|1|#10:00:00#"};
    QTest::newRow("empty item stops") << QByteArray("\":\"\r\n\"\"\r\n\":\\Later\"\r\n")
                                      << QStringList{"F :"};
    QTest::newRow("blank line stops") << QByteArray("\":\"\r\n\r\n\":\\Later\"\r\n")
                                      << QStringList{"F :"};
    QTest::newRow("bad size") << QByteArray("\":\"\r\n\"a\",12x,#2026-01-01#\r\n")
                              << QStringList{"F :", "error"};
    QTest::newRow("bad date") << QByteArray("\":\"\r\n\"a\",12,#2026-13-01#\r\n")
                              << QStringList{"F :", "error"};
    QTest::newRow("cut short") << QByteArray("\":\"\r\n\"a\",12") << QStringList{"F :", "error"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestDiskRecord::fileList()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);

    FileListReader reader;
    QVERIFY(reader.open(write(QStringLiteral("x.f"), bytes)));
    QStringList got;
    FileListItem item;
    while (reader.next(item)) {
        const QString name = QString::fromUtf8(item.name);
        if (item.kind == FileListItem::Folder)
            got << QStringLiteral("F ") + name;
        else
            got << name + u'|' + QString::number(item.size) + u'|'
                       + QString::fromLatin1(item.modified.toRecordText());
    }
    if (!reader.error().isEmpty())
        got << QStringLiteral("error");
    QCOMPARE(got, items);
}

void TestDiskRecord::fileListRoundTrip()
{
    QByteArray bytes;
    const auto when = RecordDateTime::fromDateAndTime(QDate(2026, 1, 31), QTime(0, 0));
    fileList::appendFolder(bytes, ":");
    fileList::appendFile(bytes, "caf\xc3\xa9.txt", 4294967296LL, when);
    fileList::appendFile(bytes, "zero", 0, RecordDateTime::zero());
    QCOMPARE(bytes, QByteArray("\":\"\r\n\"caf\xc3\xa9.txt\",4294967296,#2026-01-31#\r\n"
                               "\"zero\",0,#1899-12-30#\r\n"));
    FileListReader reader;
    QVERIFY(reader.open(write(QStringLiteral("rt.f"), bytes)));
    FileListItem item;
    QVERIFY(reader.next(item) && item.kind == FileListItem::Folder);
    QVERIFY(reader.next(item));
    QCOMPARE(item.name, QByteArrayView("caf\xc3\xa9.txt"));
    QCOMPARE(item.size, 4294967296LL);
    QCOMPARE(item.modified, when);
    QVERIFY(reader.next(item));
    QVERIFY(item.modified.isZero());
    QVERIFY(!reader.next(item));
    QVERIFY(reader.error().isEmpty());
}

void TestDiskRecord::fileListHugeLine()
{
    // 100 MB without a line end: one name, then nothing; the reader must end cleanly.
    const QString path = write(QStringLiteral("huge.f"), QByteArray(100 * 1024 * 1024, 'x'));
    FileListReader reader;
    QVERIFY(reader.open(path));
    FileListItem item;
    QVERIFY(!reader.next(item));
    QVERIFY(!reader.error().isEmpty());
    DiskInfo info;
    QCOMPARE(readInfoFile(path, info), InfoReadStatus::WrongVersion);
}

QTEST_GUILESS_MAIN(TestDiskRecord)
#include "tst_diskrecord.moc"
