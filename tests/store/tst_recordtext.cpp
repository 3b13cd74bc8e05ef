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
             {"overlong is not utf-8", "\xc0\xaf", QStringLiteral("À¯")},
             {"truncated", "ab\xe2\x82", QStringLiteral("abâ‚")},
             {"smallest of two and three bytes", "\xc2\x80\xe0\xa0\x80",
              QStringLiteral("\u0080\u0800")},
             {"byte order mark kept", "\xef\xbb\xbfname", QChar(0xFEFF) + QStringLiteral("name")}});
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
