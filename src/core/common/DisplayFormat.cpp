#include "DisplayFormat.h"

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
    return date(value) + QLatin1Char(' ') + time(value);
}

qint64 DisplayFormat::roundedQuotient(qint64 value, qint64 divisor)
{
    const qint64 half = divisor / 2;
    return value >= 0 ? (value + half) / divisor : -((-value + half) / divisor);
}

} // namespace dovrin
