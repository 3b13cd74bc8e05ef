#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <vector>

namespace dovrin {

// A locale's date or time format taken apart once, so that a date-time is shown with a few
// digits and table lookups instead of the locale's general formatter, which costs about a
// microsecond a date. Names of months and days and the AM/PM texts come from the locale
// itself. A format with anything else (time zones, milliseconds, other digits), or one whose
// texts differ from the locale's own for a set of probe values, is not used: isValid() is
// then false and the caller formats through the locale.
class DatePattern
{
public:
    enum class Of
    {
        Date,
        Time
    };

    DatePattern(const QString& format, const QLocale& locale, Of of);

    bool isValid() const { return m_valid; }
    // Appends the date (or the time) as QLocale::toString(value, format) gives it.
    void append(QString& out, QDate date, QTime time) const;

private:
    enum class Field
    {
        Text,
        Day,
        DayName,
        Month,
        MonthName,
        Year2,
        Year4,
        Hour24,
        Hour12,
        Minute,
        Second,
        AmPm,
    };
    struct Part
    {
        explicit Part(Field f, int w = 1, std::vector<QString> n = {})
            : field(f), width(w), names(std::move(n))
        {
        }
        Field field;
        int width;                  // digits at least
        QString text;               // of a Text part
        std::vector<QString> names; // by month, by day of the week, or AM and PM
    };

    bool compile(const QString& format, const QLocale& locale);

    std::vector<Part> m_parts;
    bool m_valid = false;
};

} // namespace dovrin
