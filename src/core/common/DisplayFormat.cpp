#include "DisplayFormat.h"

#include <limits>

namespace dovrin {

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
      m_timeFormat(timeFormatWithoutZone(locale))
{
    // "#,0" always groups thousands, also in locales that omit the separator by default.
    m_locale.setNumberOptions(m_locale.numberOptions() & ~QLocale::OmitGroupSeparator);
}

QString DisplayFormat::size(qint64 bytes) const
{
    return m_locale.toString(bytes);
}

QString DisplayFormat::date(RecordDateTime value) const
{
    return m_locale.toString(value.date(), m_dateFormat);
}

QString DisplayFormat::time(RecordDateTime value) const
{
    return m_locale.toString(value.time(), m_timeFormat);
}

QString DisplayFormat::dateTime(RecordDateTime value) const
{
    constexpr qint64 kSecondsPerDay = 86400;
    const qint64 seconds = value.seconds();
    if (seconds >= 0 && seconds < kSecondsPerDay)
        return time(value);
    if (seconds % kSecondsPerDay == 0)
        return date(value);
    return date(value) + QLatin1Char(' ') + time(value);
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
