#include "ListingTexts.h"

#include <cstring>

namespace dovrin::reports {

namespace {

constexpr qint64 kSecondsPerDay = 86400;

qint64 dayOf(qint64 seconds)
{
    qint64 day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0)
        --day;
    return day;
}

} // namespace

ListingTexts::ListingTexts(const DisplayFormat& format) : m_format(format) {}

ListingTexts::~ListingTexts() = default;

QByteArrayView ListingTexts::size(qint64 bytes)
{
    m_size = m_format.size(bytes).toUtf8();
    return m_size;
}

QByteArrayView ListingTexts::date(qint64 day)
{
    auto it = m_dates.constFind(day);
    if (it != m_dates.constEnd())
        return *it;
    if (m_dates.size() >= kDaysKept)
        m_dates.clear();
    const RecordDateTime midnight = RecordDateTime::fromSeconds(day * kSecondsPerDay);
    return *m_dates.insert(day, m_format.date(midnight).toUtf8());
}

QByteArrayView ListingTexts::time(int second)
{
    if (!m_times)
        m_times = std::make_unique<TimeText[]>(kSecondsPerDay);
    TimeText& cached = m_times[second];
    if (cached.length == 0) {
        m_longTime = m_format.time(RecordDateTime::fromSeconds(second)).toUtf8();
        if (m_longTime.isEmpty() || m_longTime.size() > qsizetype(sizeof cached.bytes))
            return m_longTime;
        cached.length = quint8(m_longTime.size());
        std::memcpy(cached.bytes, m_longTime.constData(), cached.length);
    }
    return QByteArrayView(cached.bytes, cached.length);
}

QByteArrayView ListingTexts::dateTime(RecordDateTime value)
{
    const qint64 day = dayOf(value.seconds());
    const int second = int(value.seconds() - day * kSecondsPerDay);
    switch (DisplayFormat::shownParts(value)) {
    case DisplayFormat::Parts::DateOnly:
        return date(day);
    case DisplayFormat::Parts::TimeOnly:
        return time(second);
    case DisplayFormat::Parts::DateAndTime:
        break;
    }
    m_dateTime.truncate(0);
    m_dateTime.append(date(day));
    m_dateTime.append(' ');
    m_dateTime.append(time(second));
    return m_dateTime;
}

} // namespace dovrin::reports
