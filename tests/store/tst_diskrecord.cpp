#include "DataTable.h"
#include "TestFiles.h"
#include "store/DiskRecord.h"
#include "store/FileListStream.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace dovrin;

// The whole-file reader and the streaming one read the same items.
template <typename Reader> QStringList readItems(const QString& path)
{
    Reader reader;
    if (!reader.open(path))
        return {QStringLiteral("unreadable")};
    QStringList got;
    FileListItem item;
    while (reader.next(item)) {
        const QString name = QString::fromUtf8(item.name);
        got << (item.kind == FileListItem::Folder
                    ? QStringLiteral("F ") + name
                    : name + u'|' + QString::number(item.size) + u'|' +
                          QString::fromLatin1(item.modified.toRecordText()));
    }
    if (!reader.error().isEmpty())
        got << reader.error();
    return got;
}

class TestDiskRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void infoFile_data()
    {
        const int ok = int(InfoReadStatus::Ok), bad = int(InfoReadStatus::Malformed),
                  version = int(InfoReadStatus::WrongVersion);
        test::table<QByteArray, int, QString>(
            {"bytes", "status", "source"},
            {
                {"windows", QByteArray("25\r\nD:\\\r\n1234.56MB\r\n04/12/2026 21:54:37\r\n 0 \r\n"),
                 ok, "D:\\"},
                {"bare LF, empty third line, no last line end", "25\n/m/x/\n\nd\n 1 ", ok, "/m/x/"},
                {"windows-1252", "25\r\nE:\\\xc9t\xe9\\\r\n1MB\r\nd\r\n 0 \r\n", ok, "E:\\Été\\"},
                {"four lines", "25\r\nD:\\\r\n1MB\r\nd\r\n", bad, ""},
                {"empty fifth line", "25\r\nD:\\\r\n1MB\r\nd\r\n\r\n", bad, ""},
                {"fifth past 16 bits", "25\r\nD:\\\r\n1MB\r\nd\r\n 70000 \r\n", bad, ""},
                {"fifth at 16 bits", "25\r\nD:\\\r\n1MB\r\nd\r\n 32767 \r\n", ok, "D:\\"},
                {"fifth at its least", "25\r\nD:\\\r\n1MB\r\nd\r\n -32768 \r\n", ok, "D:\\"},
                {"letters in fifth", "25\r\nD:\\\r\n1MB\r\nd\r\nyes\r\n", bad, ""},
                {"25 and a blank", "25 \r\nD:\\\r\n1MB\r\nd\r\n 0 \r\n", version, ""},
                {"empty file", QByteArray(), version, ""},
            });
    }

    void infoFile()
    {
        auto [bytes, status, source] =
            test::fetch<QByteArray, int, QString>("bytes", "status", "source");
        DiskInfo info;
        info.source = QStringLiteral("untouched");
        QCOMPARE(int(readInfoFile(write(bytes), info)), status);
        // A bad file never leaves a half-filled record.
        QCOMPARE(info.source,
                 status == int(InfoReadStatus::Ok) ? source : QStringLiteral("untouched"));
    }

    void infoFileBytes()
    {
        const DiskInfo info{QStringLiteral("/media/zoë/"), QStringLiteral("1234.56MB"),
                            QStringLiteral("04/12/2026 21:54:37"), 1};
        QCOMPARE(
            dovrin::infoFileBytes(info),
            QByteArray("25\r\n/media/zo\xc3\xab/\r\n1234.56MB\r\n04/12/2026 21:54:37\r\n 1 \r\n"));
    }

    void fileList_data()
    {
        // Items read back as "F key" or "name|size|date"; "error" when the reader stopped on one.
        QByteArray ours;
        fileList::appendFolder(ours, ":\\a,b");
        fileList::appendFile(ours, "caf\xc3\xa9.txt", 4294967296LL,
                             RecordDateTime::fromDateAndTime(QDate(2026, 1, 31), QTime(0, 0)));
        fileList::appendFile(ours, "zero", 0, RecordDateTime::zero());
        // Lines of every length across the streaming reader's blocks, one longer than a block.
        QByteArray big;
        QStringList bigItems;
        for (int i = 0; i < 12000; ++i) {
            if (i % 100 == 0) {
                const QByteArray key = ":\\d" + QByteArray::number(i);
                fileList::appendFolder(big, key);
                bigItems << QStringLiteral("F ") + QString::fromLatin1(key);
            }
            const QByteArray name =
                QByteArray(i == 6000 ? 300000 : (i * 7) % 200 + 1, char('a' + i % 26));
            fileList::appendFile(big, name, i, RecordDateTime::fromSeconds(86400LL * 40000 + i));
            bigItems << QString::fromLatin1(name) + u'|' + QString::number(i) + u'|' +
                            QString::fromLatin1(
                                RecordDateTime::fromSeconds(86400LL * 40000 + i).toRecordText());
        }
        test::table<QByteArray, QStringList>(
            {"bytes", "items"},
            {{"as we write",
              ours,
              {"F :\\a,b", "café.txt|4294967296|#2026-01-31#", "zero|0|#1899-12-30#"}},
             {"windows sizes",
              "\":\"\r\n\"a.txt\",1234.0000,#2026-03-01 10:15:00#\n\"b\",7,#10:00:00#\r\n"
              "\"c\",5.59,#10:00:00#\r\n",
              {"F :", "a.txt|1234|#2026-03-01 10:15:00#", "b|7|#10:00:00#", "c|6|#10:00:00#"}},
             {"empty item stops", "\":\"\r\n\"\"\r\n\":\\Later\"\r\n", {"F :"}},
             {"open quote ends at its line end",
              "\":\n\"a\",1,#2026-01-01#\n",
              {"F :", "a|1|#2026-01-01#"}},
             {"size past 64 bits",
              "\":\"\r\n\"a\",9223372036854775807.5,#2026-01-01#\r\n",
              {"F :", "bad size on line 2"}},
             {"letters in a size's fraction",
              "\":\"\r\n\"a\",1.2x,#2026-01-01#\r\n",
              {"F :", "bad size on line 2"}},
             {"cut short", "\":\"\r\n\"a\",12", {"F :", "missing date on line 2"}},
             {"bad date", "\":\"\r\n\"a\",1,#2026-13-45#\r\n", {"F :", "bad date on line 2"}},
             {"empty file", "", {}},
             {"lines across blocks", big, bigItems},
             {"bad line counted across blocks", big + "\"z\",x,#2026-01-01#\r\n",
              bigItems + QStringList{"bad size on line 12121"}}});
    }

    void fileList()
    {
        auto [bytes, items] = test::fetch<QByteArray, QStringList>("bytes", "items");
        const QString path = write(bytes);
        QCOMPARE(readItems<FileListReader>(path), items);
        QCOMPARE(readItems<FileListStream>(path), items);
    }

    void dateTimeText_data()
    {
        const QDate zero(1899, 12, 30);
        test::table<QDate, QTime, QByteArray>(
            {"date", "time", "text"},
            {{"full", QDate(2026, 3, 1), QTime(10, 15, 0), "#2026-03-01 10:15:00#"},
             {"midnight", QDate(2026, 1, 31), QTime(0, 0), "#2026-01-31#"},
             {"zero date", zero, QTime(13, 5, 9), "#13:05:09#"},
             {"zero", zero, QTime(0, 0), "#1899-12-30#"},
             {"before zero", QDate(1850, 6, 2), QTime(23, 59, 59), "#1850-06-02 23:59:59#"},
             {"leap day", QDate(2024, 2, 29), QTime(1, 2, 3), "#2024-02-29 01:02:03#"}});
    }

    void dateTimeText()
    {
        auto [date, time, text] = test::fetch<QDate, QTime, QByteArray>("date", "time", "text");
        const auto value = RecordDateTime::fromDateAndTime(date, time);
        QCOMPARE(value.toRecordText(), text);
        const auto parsed = RecordDateTime::parse(text);
        QVERIFY(parsed);
        QCOMPARE(*parsed, value);
    }

    void dateTimeRejects_data()
    {
        test::table<QByteArray>({"text"}, {{"empty", "##"},
                                           {"month 13", "#2026-13-01#"},
                                           {"feb 30", "#2026-02-30#"},
                                           {"hour 24", "#24:00:00#"},
                                           {"minute 60", "#10:60:00#"},
                                           {"second 60", "#10:00:60#"},
                                           {"hour missing", "#2026-01-01 :15:00#"},
                                           {"trailing junk", "#2026-01-01 10:00:00x#"},
                                           {"year past nine digits", "#99999999999-01-01#"},
                                           {"three-digit month", "#2026-001-01#"}});
    }

    void dateTimeRejects()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!RecordDateTime::parse(text));
    }

    void reals_data()
    {
        test::table<double, QByteArray>(
            {"value", "text"},
            {{"whole", 1080.0, "1080"},
             {"fifteen digits", 1.0 / 3.0, "0.333333333333333"},
             {"negative", -12.5, "-12.5"},
             {"largest", std::numeric_limits<double>::max(), "1.79769313486231e+308"}});
    }

    void reals()
    {
        auto [value, text] = test::fetch<double, QByteArray>("value", "text");
        QByteArray out;
        write::real(out, value);
        QCOMPARE(out, text);
    }

    void decoding_data()
    {
        test::table<QByteArray, QString>(
            {"bytes", "text"},
            {{"utf-8", "Z\xc3\xbcrich", QStringLiteral("Zürich")},
             {"windows-1252", "Z\xfcrich \x80", QStringLiteral("Zürich €")},
             {"a euro sign alone is windows-1252", "5 \x80", QStringLiteral("5 €")},
             {"overlong is not utf-8", "\xc0\xaf", QStringLiteral("À¯")},
             {"the last surrogate is not utf-8", "\xed\xbf\xbf", QStringLiteral("í¿¿")},
             {"truncated", "ab\xe2\x82", QStringLiteral("abâ‚")},
             {"smallest of two and three bytes", "\xc2\x80\xe0\xa0\x80",
              QStringLiteral("\u0080\u0800")},
             {"byte order mark kept", "\xef\xbb\xbfname", QChar(0xFEFF) + QStringLiteral("name")}});
    }

    void decoding()
    {
        auto [bytes, text] = test::fetch<QByteArray, QString>("bytes", "text");
        QCOMPARE(text::decode(bytes), text);
    }

private:
    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QString::number(++m_files));
        test::writeFile(path, bytes);
        return path;
    }
    QTemporaryDir m_dir;
    int m_files = 0;
};

QTEST_GUILESS_MAIN(TestDiskRecord)
#include "tst_diskrecord.moc"
