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
    m_size.truncate(0);
    m_format.appendSize(m_size, bytes);
    return m_size;
}

template <typename Make> QByteArrayView ListingTexts::cached(Text& slot, Make&& make)
{
    if (slot.length == 0) {
        m_made = make().toUtf8();
        if (m_made.isEmpty() || m_made.size() > qsizetype(sizeof slot.bytes))
            return m_made;
        slot.length = quint8(m_made.size());
        std::memcpy(slot.bytes, m_made.constData(), slot.length);
    }
    return QByteArrayView(slot.bytes, slot.length);
}

QByteArrayView ListingTexts::date(qint64 day)
{
    const RecordDateTime midnight = RecordDateTime::fromSeconds(day * kSecondsPerDay);
    if (day < 0 || day >= kDaysKept) {
        m_made = m_format.date(midnight).toUtf8();
        return m_made;
    }
    if (!m_dates)
        m_dates = std::make_unique<Text[]>(kDaysKept);
    return cached(m_dates[day], [&] { return m_format.date(midnight); });
}

QByteArrayView ListingTexts::time(int second)
{
    if (!m_times)
        m_times = std::make_unique<Text[]>(kSecondsPerDay);
    return cached(m_times[second],
                  [&] { return m_format.time(RecordDateTime::fromSeconds(second)); });
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
