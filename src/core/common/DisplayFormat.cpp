#include "DisplayFormat.h"

#include <limits>

namespace dovrin {

namespace {

// Whole numbers in plain three-digit groups.
void appendGrouped(QByteArray& out, qint64 value, const QByteArray& separator)
{
    char digits[24];
    int n = 0;
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        out.append('-');
    while (n > 0) {
        out.append(digits[--n]);
        if (n > 0 && n % 3 == 0)
            out.append(separator);
    }
}

} // namespace

QString withoutTimeZone(const QString& timeFormat)
{
    QString out;
    bool quoted = false;
    for (const QChar c : timeFormat) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out.append(c);
    }
    return out.simplified();
}

QString timeFormatWithoutZone(const QLocale& locale)
{
    return withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

DisplayFormat::DisplayFormat(const QLocale& locale)
    : m_locale(locale), m_dateFormat(locale.dateFormat(QLocale::ShortFormat)),
      m_timeFormat(timeFormatWithoutZone(locale)),
      m_datePattern(m_dateFormat, locale, DatePattern::Of::Date),
      m_timePattern(m_timeFormat, locale, DatePattern::Of::Time)
{
    // "#,0" always groups thousands, also in locales that omit the separator by default.
    m_locale.setNumberOptions(m_locale.numberOptions() & ~QLocale::OmitGroupSeparator);

    // The plain grouping is used only where it gives the locale's own texts.
    const QByteArray separator = m_locale.groupSeparator().toUtf8();
    bool plain = !separator.isEmpty();
    for (const qint64 probe : {qint64(0), qint64(999), qint64(1000), qint64(-1234567),
                               qint64(12345678), qint64(1234567890123456789)}) {
        QByteArray grouped;
        appendGrouped(grouped, probe, separator);
        plain = plain && grouped == size(probe).toUtf8();
    }
    if (plain)
        m_plainSeparator = separator;
}

QString DisplayFormat::size(qint64 bytes) const
{
    return m_locale.toString(bytes);
}

void DisplayFormat::appendSize(QByteArray& utf8, qint64 bytes) const
{
    if (m_plainSeparator.isEmpty())
        utf8.append(size(bytes).toUtf8());
    else
        appendGrouped(utf8, bytes, m_plainSeparator);
}

void DisplayFormat::appendDate(QString& out, QDate date) const
{
    if (m_datePattern.isValid() && date.year() >= 1)
        m_datePattern.append(out, date, {});
    else
        out += m_locale.toString(date, m_dateFormat);
}

void DisplayFormat::appendTime(QString& out, QTime time) const
{
    if (m_timePattern.isValid())
        m_timePattern.append(out, {}, time);
    else
        out += m_locale.toString(time, m_timeFormat);
}

QString DisplayFormat::date(RecordDateTime value) const
{
    QString text;
    appendDate(text, value.date());
    return text;
}

QString DisplayFormat::time(RecordDateTime value) const
{
    QString text;
    appendTime(text, value.time());
    return text;
}

DisplayFormat::Parts DisplayFormat::shownParts(RecordDateTime value)
{
    constexpr qint64 kSecondsPerDay = 86400;
    const qint64 seconds = value.seconds();
    if (seconds >= 0 && seconds < kSecondsPerDay)
        return Parts::TimeOnly;
    if (seconds % kSecondsPerDay == 0)
        return Parts::DateOnly;
    return Parts::DateAndTime;
}

QString DisplayFormat::dateTime(RecordDateTime value) const
{
    switch (shownParts(value)) {
    case Parts::TimeOnly:
        return time(value);
    case Parts::DateOnly:
        return date(value);
    case Parts::DateAndTime:
        break;
    }
    QString text;
    text.reserve(28);
    appendDate(text, value.date());
    text += QLatin1Char(' ');
    appendTime(text, value.time());
    return text;
}

qint64 DisplayFormat::roundedQuotient(qint64 value, qint64 divisor)
{
    // From the quotient and the remainder, so that the largest values cannot overflow.
    const qint64 quotient = value / divisor;
    const qint64 remainder = value % divisor; // takes the sign of value
    const qint64 up = divisor - divisor / 2;
    if (remainder >= up)
        return quotient + 1;
    if (-remainder >= up)
        return quotient - 1;
    return quotient;
}

qint64 DisplayFormat::addSize(qint64 total, qint64 size)
{
    qint64 sum;
    if (!__builtin_add_overflow(total, size, &sum))
        return sum;
    return size > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

} // namespace dovrin
