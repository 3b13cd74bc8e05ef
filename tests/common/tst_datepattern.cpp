#include "DataTable.h"
#include "common/DatePattern.h"

#include <QTest>

using namespace dovrin;

// A date pattern either gives exactly the locale's own texts or is not used at all.
class TestDatePattern : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesTheLocale_data()
    {
        test::table<QString, QString, bool, bool>(
            {"locale", "format", "time", "valid"},
            {
                {"month names", "C", "d MMM yyyy", false, true},
                {"day and month names", "C", "dddd, d. MMMM yyyy", false, true},
                {"two-digit year", "en_US", "M/d/yy", false, true},
                {"quoted words", "pt_BR", "d 'de' MMMM 'de' yyyy", false, true},
                {"a quote", "C", "dd''MM yyyy", false, true},
                {"24 hours", "C", "HH:mm:ss", true, true},
                {"12 hours", "en_US", "h:mm:ss AP", true, true},
                {"12 hours, lower case", "C", "hh:mm ap", true, true},
                {"milliseconds", "C", "HH:mm:ss.zzz", true, false},
                {"time zone", "C", "HH:mm t", true, false},
                {"other digits", "ar_EG", "d/M/yyyy", false, false},
            });
    }

    void matchesTheLocale()
    {
        auto [localeName, format, time, valid] =
            test::fetch<QString, QString, bool, bool>("locale", "format", "time", "valid");
        const QLocale locale(localeName);
        const DatePattern pattern(format, locale,
                                  time ? DatePattern::Of::Time : DatePattern::Of::Date);
        QCOMPARE(pattern.isValid(), valid);
        if (!valid)
            return;
        for (int i = 0; i < 400; ++i) {
            const QDate date = QDate(1899, 12, 30).addDays(i * 97 + i % 7);
            const QTime clock(i % 24, i * 7 % 60, i * 11 % 60);
            QString mine;
            pattern.append(mine, date, clock);
            QCOMPARE(mine, time ? locale.toString(clock, format) : locale.toString(date, format));
        }
    }
};

QTEST_GUILESS_MAIN(TestDatePattern)
#include "tst_datepattern.moc"
