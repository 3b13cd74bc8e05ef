#include "LocalTime.h"

#include <cstring>

namespace dovrin::scan {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// Days from the zero date, 30 December 1899, to 1 January 1970.
constexpr qint64 kUnixEpochDays = 25569;

bool offsetAt(time_t t, long& offset)
{
    struct tm local
    {
    };
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

char* twoDigits(char* out, unsigned value)
{
    out[0] = char('0' + value / 10);
    out[1] = char('0' + value % 10);
    return out + 2;
}

} // namespace

char* LocalTime::writeRecordText(char* out, RecordDateTime value)
{
    const qint64 seconds = value.seconds();
    qint64 day = seconds / kSecondsPerDay;
    qint64 s = seconds % kSecondsPerDay;
    if (s < 0) {
        s += kSecondsPerDay;
        --day;
    }
    const bool writeDate = day != 0 || s == 0;
    const bool writeTime = s != 0;
    qint64 year = 0;
    if (writeDate) {
        // Civil date from a day count (Howard Hinnant's algorithm), days since 1970-01-01.
        qint64 z = day - kUnixEpochDays + 719468;
        const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
        const auto doe = unsigned(z - era * 146097);
        const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const unsigned mp = (5 * doy + 2) / 153;
        const unsigned d = doy - (153 * mp + 2) / 5 + 1;
        const unsigned m = mp < 10 ? mp + 3 : mp - 9;
        year = qint64(yoe) + era * 400 + (m <= 2);
        if (year < 0 || year > 9999) // outside the usual range: the general writer
        {
            QByteArray text;
            value.appendRecordText(text);
            std::memcpy(out, text.constData(), size_t(text.size()));
            return out + text.size();
        }
        *out++ = '#';
        out = twoDigits(out, unsigned(year / 100));
        out = twoDigits(out, unsigned(year % 100));
        *out++ = '-';
        out = twoDigits(out, m);
        *out++ = '-';
        out = twoDigits(out, d);
        if (writeTime)
            *out++ = ' ';
    } else {
        *out++ = '#';
    }
    if (writeTime) {
        out = twoDigits(out, unsigned(s / 3600));
        *out++ = ':';
        out = twoDigits(out, unsigned(s / 60 % 60));
        *out++ = ':';
        out = twoDigits(out, unsigned(s % 60));
    }
    *out++ = '#';
    return out;
}

RecordDateTime LocalTime::convert(time_t unixSeconds)
{
    const time_t span = floorDiv(unixSeconds, kSpan);
    Slot& slot = m_slots[size_t(span) % kSlots];
    long offset = 0;
    if (slot.valid && slot.span == span) {
        offset = slot.offset;
    } else {
        long atStart = 0;
        long atEnd = 0;
        const time_t start = span * kSpan;
        if (!offsetAt(start, atStart) || !offsetAt(start + kSpan - 1, atEnd))
            return RecordDateTime::fromUnixTime(unixSeconds);
        if (atStart != atEnd) {
            // A transition inside this day: ask for this very second, cache nothing.
            if (!offsetAt(unixSeconds, offset))
                return RecordDateTime::fromUnixTime(unixSeconds);
        } else {
            slot = {span, atStart, true};
            offset = atStart;
        }
    }
    return RecordDateTime::fromSeconds(qint64(unixSeconds) + offset +
                                       kUnixEpochDays * kSecondsPerDay);
}

} // namespace dovrin::scan
