#include "LocalTime.h"

namespace dovrin::scan {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// Days from the zero date, 30 December 1899, to 1 January 1970.
constexpr qint64 kUnixEpochDays = 25569;

bool offsetAt(time_t t, long& offset)
{
    struct tm local {};
    if (!localtime_r(&t, &local))
        return false;
    offset = local.tm_gmtoff;
    return true;
}

time_t floorDiv(time_t a, time_t b)
{
    time_t q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0))
        --q;
    return q;
}

} // namespace

RecordDateTime LocalTime::convert(time_t unixSeconds)
{
    const time_t quarter = floorDiv(unixSeconds, kQuarter);
    Slot& slot = m_slots[size_t(quarter) % kSlots];
    long offset = 0;
    if (slot.valid && slot.quarter == quarter) {
        offset = slot.offset;
    } else {
        long atStart = 0;
        long atEnd = 0;
        const time_t start = quarter * kQuarter;
        if (!offsetAt(start, atStart) || !offsetAt(start + kQuarter - 1, atEnd))
            return RecordDateTime::fromUnixTime(unixSeconds);
        if (atStart != atEnd) {
            // A transition inside this quarter: ask for this very second, cache nothing.
            if (!offsetAt(unixSeconds, offset))
                return RecordDateTime::fromUnixTime(unixSeconds);
        } else {
            slot = {quarter, atStart, true};
            offset = atStart;
        }
    }
    return RecordDateTime::fromSeconds(qint64(unixSeconds) + offset
                                       + kUnixEpochDays * kSecondsPerDay);
}

} // namespace dovrin::scan
