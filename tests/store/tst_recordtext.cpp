#include "DataTable.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QTest>
#include <limits>

using namespace dovrin;

class TestRecordText : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void dateTimeText_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("full") << QDate(2026, 3, 1) << QTime(10, 15, 0)
                              << QByteArray("#2026-03-01 10:15:00#");
        QTest::newRow("midnight") << QDate(2026, 1, 31) << QTime(0, 0)
                                  << QByteArray("#2026-01-31#");
        QTest::newRow("zero date")
            << QDate(1899, 12, 30) << QTime(13, 5, 9) << QByteArray("#13:05:09#");
        QTest::newRow("zero") << QDate(1899, 12, 30) << QTime(0, 0) << QByteArray("#1899-12-30#");
        QTest::newRow("before zero")
            << QDate(1850, 6, 2) << QTime(23, 59, 59) << QByteArray("#1850-06-02 23:59:59#");
        QTest::newRow("leap day") << QDate(2024, 2, 29) << QTime(1, 2, 3)
                                  << QByteArray("#2024-02-29 01:02:03#");
    }

    void dateTimeText()
    {
        auto [date, time, text] = test::fetch<QDate, QTime, QByteArray>("date", "time", "text");
        const auto value = RecordDateTime::fromDateAndTime(date, time);
        QCOMPARE(value.toRecordText(), text);
        const auto parsed = RecordDateTime::parse(text);
        QVERIFY(parsed);
        QCOMPARE(*parsed, value);
        QCOMPARE(parsed->date(), date);
        QCOMPARE(parsed->time(), time);
    }

    void dateTimeRejects_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("##");
        QTest::newRow("month 13") << QByteArray("#2026-13-01#");
        QTest::newRow("feb 30") << QByteArray("#2026-02-30#");
        QTest::newRow("hour 24") << QByteArray("#24:00:00#");
        QTest::newRow("letters") << QByteArray("#yesterday#");
        QTest::newRow("trailing junk") << QByteArray("#2026-01-01 10:00:00x#");
        QTest::newRow("year past nine digits") << QByteArray("#99999999999-01-01#");
        QTest::newRow("three-digit month") << QByteArray("#2026-001-01#");
    }

    void dateTimeRejects()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!RecordDateTime::parse(text));
    }

    void fieldsAcrossLines()
    {
        // A file-list file: folder line, file lines, commas inside quotes, LF and CR LF mixed.
        const QByteArray data = "\":\"\r\n\"a,b.txt\",1234,#2026-03-01 10:15:00#\n"
                                "\"big.iso\",5000000000.0000,#2026-01-31#\r\n\":\\Games\"\r\n";
        FieldReader r(data);
        QString s;
        qint64 size;
        RecordDateTime when;
        QVERIFY(r.readString(s));
        QCOMPARE(s, QStringLiteral(":"));
        QVERIFY(r.readString(s) && s == QStringLiteral("a,b.txt"));
        QVERIFY(r.readInt64(size) && size == 1234);
        QVERIFY(r.readDateTime(when) && when.toRecordText() == "#2026-03-01 10:15:00#");
        QVERIFY(r.readString(s) && s == QStringLiteral("big.iso"));
        FieldReader::Field f;
        QVERIFY(r.next(f));
        QVERIFY(fields::parseSize(f.bytes, size));
        QCOMPARE(size, Q_INT64_C(5000000000));
        QVERIFY(r.readDateTime(when) && when.time() == QTime(0, 0));
        QVERIFY(r.readString(s) && s == QStringLiteral(":\\Games"));
        QVERIFY(!r.next(f));
        QVERIFY(r.atEnd());
    }

    void typedFields_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("int16Ok");
        QTest::addColumn<int>("int16");
        QTest::newRow("plain") << QByteArray("800") << true << 800;
        QTest::newRow("negative") << QByteArray("-32768") << true << -32768;
        QTest::newRow("too big") << QByteArray("75000") << false << 0;
        QTest::newRow("blank field") << QByteArray(",") << true << 0;
        QTest::newRow("letters") << QByteArray("8o0") << false << 0;
        QTest::newRow("spaces around") << QByteArray("  12  ,") << true << 12;
        QTest::newRow("quoted number") << QByteArray("\"12\"") << true << 12;
    }

    void typedFields()
    {
        auto [data, int16Ok, int16] =
            test::fetch<QByteArray, bool, int>("data", "int16Ok", "int16");
        FieldReader r(data);
        qint16 v = -1;
        QCOMPARE(r.readInt16(v), int16Ok);
        if (int16Ok)
            QCOMPARE(int(v), int16);
    }

    void plainLines()
    {
        QByteArray out;
        write::plainLine(out, QByteArrayView("25"));
        write::plainNumberLine(out, 0);
        write::plainNumberLine(out, 1);
        write::plainNumberLine(out, -3);
        QCOMPARE(out, QByteArray("25\r\n 0 \r\n 1 \r\n-3 \r\n"));
        QCOMPARE(signedNumberText(12), QStringLiteral(" 12"));
        QCOMPARE(signedNumberText(-4), QStringLiteral("-4"));
    }

    void lineEnds()
    {
        LineReader r(QByteArrayView("a\r\nb\nc\rd\r\n\r\ne"));
        QStringList lines;
        QByteArrayView line;
        while (r.next(line))
            lines << QString::fromLatin1(line);
        QCOMPARE(lines, (QStringList{"a", "b", "c", "d", "", "e"}));
    }

    void reals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("whole") << 1080.0 << QByteArray("1080");
        QTest::newRow("fraction") << 1709.858 << QByteArray("1709.858");
        QTest::newRow("four places") << 799.9371 << QByteArray("799.9371");
        QTest::newRow("fifteen digits") << 1.0 / 3.0 << QByteArray("0.333333333333333");
        QTest::newRow("negative") << -12.5 << QByteArray("-12.5");
        QTest::newRow("largest") << std::numeric_limits<double>::max()
                                 << QByteArray("1.79769313486231e+308");
    }

    void reals()
    {
        auto [value, text] = test::fetch<double, QByteArray>("value", "text");
        QByteArray out;
        write::real(out, value);
        QCOMPARE(out, text);
        double back;
        QVERIFY(fields::parseReal(out, back));
        QCOMPARE(back, text.toDouble());
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("readme.txt") << QStringLiteral("readme.txt");
        QTest::newRow("utf-8") << QByteArray("Z\xc3\xbcrich") << QStringLiteral("Zürich");
        QTest::newRow("windows-1252") << QByteArray("Z\xfcrich \x80") << QStringLiteral("Zürich €");
        QTest::newRow("overlong is not utf-8") << QByteArray("\xc0\xaf") << QStringLiteral("À¯");
        QTest::newRow("truncated") << QByteArray("ab\xe2\x82") << QStringLiteral("abâ‚");
        QTest::newRow("smallest of two and three bytes")
            << QByteArray("\xc2\x80\xe0\xa0\x80") << QStringLiteral("\u0080\u0800");
        QTest::newRow("byte order mark kept")
            << QByteArray("\xef\xbb\xbfname") << QChar(0xFEFF) + QStringLiteral("name");
    }
    void decoding();
};

void TestRecordText::decoding()
{
    auto [bytes, text] = test::fetch<QByteArray, QString>("bytes", "text");
    QCOMPARE(text::decode(bytes), text);
}

QTEST_GUILESS_MAIN(TestRecordText)
#include "tst_recordtext.moc"
