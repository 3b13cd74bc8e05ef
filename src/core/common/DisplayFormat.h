#pragma once

#include "DatePattern.h"
#include "store/RecordDateTime.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace dovrin {

// How sizes and date-times are shown to the user, in one locale (the user's by default).
// Sizes use the pattern "#,0": a whole number with the locale's thousands separator.
// A date-time is the short date, a blank and the time with seconds; the date alone at
// midnight, the time alone on the zero date (30 December 1899).
class DisplayFormat
{
public:
    explicit DisplayFormat(const QLocale& locale = QLocale());

    const QLocale& locale() const { return m_locale; }
    QString size(qint64 bytes) const;
    // The same text as size(), appended as UTF-8: for writers of millions of lines.
    void appendSize(QByteArray& utf8, qint64 bytes) const;
    QString dateTime(RecordDateTime value) const;
    QString date(RecordDateTime value) const;
    QString time(RecordDateTime value) const;

    // Which parts dateTime() shows.
    enum class Parts
    {
        DateAndTime,
        DateOnly, // at midnight
        TimeOnly, // on the zero date
    };
    static Parts shownParts(RecordDateTime value);

    // Rounds to whole units (half away from zero), as "#,0" does with fractions.
    static qint64 roundedQuotient(qint64 value, qint64 divisor);
    // A total of sizes. Damaged records may hold sizes near the 64-bit limits: the total
    // stops at the limit instead of wrapping round.
    static qint64 addSize(qint64 total, qint64 size);

private:
    // Through the patterns where they give the locale's texts, else through the locale.
    void appendDate(QString& out, QDate date) const;
    void appendTime(QString& out, QTime time) const;

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    DatePattern m_datePattern; // the formats above, taken apart
    DatePattern m_timePattern;
    // The thousands separator as UTF-8, when the locale groups ASCII digits by threes (most
    // do): appendSize() then skips the locale's lookups. Empty otherwise.
    QByteArray m_plainSeparator;
};

// A locale time format with its time-zone part removed ("HH:mm:ss t" -> "HH:mm:ss"):
// record times are wall-clock times without a zone.
QString withoutTimeZone(const QString& timeFormat);
QString timeFormatWithoutZone(const QLocale& locale);

} // namespace dovrin
