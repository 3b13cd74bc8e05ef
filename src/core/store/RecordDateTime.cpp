#include "RecordDateTime.h"

#include <ctime>

namespace dovrin {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// Days from 30 December 1899 to 1 January 1970.
constexpr qint64 kUnixEpochDays = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's algorithm).
constexpr qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<qint64>(doe) - 719468;
}

constexpr void civilFromDays(qint64 z, qint64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<qint64>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

bool parseNumber(const char*& p, const char* end, int digits, int& value)
{
    value = 0;
    int n = 0;
    while (p < end && *p >= '0' && *p <= '9' && (digits == 0 || n < digits)) {
        value = value * 10 + (*p - '0');
        ++p;
        ++n;
    }
    return n > 0;
}

void appendDigits(QByteArray& out, qint64 value, int width)
{
    char buf[24];
    int n = 0;
    bool negative = value < 0;
    quint64 v = negative ? quint64(-value) : quint64(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < width)
        buf[n++] = '0';
    if (negative)
        out.append('-');
    while (n > 0)
        out.append(buf[--n]);
}

} // namespace

RecordDateTime RecordDateTime::fromDateAndTime(QDate date, QTime time)
{
    if (!date.isValid())
        return {};
    const qint64 days =
        daysFromCivil(date.year(), unsigned(date.month()), unsigned(date.day())) + kUnixEpochDays;
    const qint64 secs = time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
    return RecordDateTime(days * kSecondsPerDay + secs);
}

RecordDateTime RecordDateTime::fromDateTime(const QDateTime& dateTime)
{
    return fromDateAndTime(dateTime.date(), dateTime.time());
}

RecordDateTime RecordDateTime::fromUnixTime(qint64 unixSeconds)
{
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local
    {
    };
    if (!localtime_r(&t, &local))
        return {};
    const qint64 days =
        daysFromCivil(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday)) +
        kUnixEpochDays;
    return RecordDateTime(days * kSecondsPerDay + local.tm_hour * 3600 + local.tm_min * 60 +
                          local.tm_sec);
}

std::optional<RecordDateTime> RecordDateTime::parse(QByteArrayView text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && (*p == ' ' || *p == '#'))
        ++p;
    while (end > p && (end[-1] == ' ' || end[-1] == '#'))
        --end;
    if (p == end)
        return std::nullopt;

    qint64 days = 0;
    qint64 secs = 0;
    bool haveDate = false;
    bool haveTime = false;

    // A date has a '-' after its first number; a time has a ':'.
    const char* q = p;
    while (q < end && *q >= '0' && *q <= '9')
        ++q;
    if (q < end && *q == '-') {
        int y, m, d;
        // Nine digits of year at most: more would not fit the number.
        if (!parseNumber(p, end, 9, y) || p >= end || *p++ != '-' || !parseNumber(p, end, 2, m) ||
            p >= end || *p++ != '-' || !parseNumber(p, end, 2, d))
            return std::nullopt;
        if (!QDate::isValid(y, m, d))
            return std::nullopt;
        days = daysFromCivil(y, unsigned(m), unsigned(d)) + kUnixEpochDays;
        haveDate = true;
        while (p < end && *p == ' ')
            ++p;
    }
    if (p < end) {
        int h, mi, s = 0;
        if (!parseNumber(p, end, 2, h) || p >= end || *p++ != ':' || !parseNumber(p, end, 2, mi))
            return std::nullopt;
        if (p < end && *p == ':') {
            ++p;
            if (!parseNumber(p, end, 2, s))
                return std::nullopt;
        }
        if (p != end || h > 23 || mi > 59 || s > 59)
            return std::nullopt;
        secs = h * 3600 + mi * 60 + s;
        haveTime = true;
    }
    if (!haveDate && !haveTime)
        return std::nullopt;
    return RecordDateTime(days * kSecondsPerDay + secs);
}

QDate RecordDateTime::date() const
{
    qint64 y;
    unsigned m, d;
    civilFromDays(floorDiv(m_seconds, kSecondsPerDay) - kUnixEpochDays, y, m, d);
    return QDate(int(y), int(m), int(d));
}

QTime RecordDateTime::time() const
{
    const qint64 s = m_seconds - floorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay;
    return QTime::fromMSecsSinceStartOfDay(int(s * 1000));
}

QDateTime RecordDateTime::toDateTime() const
{
    return QDateTime(date(), time());
}

void RecordDateTime::appendRecordText(QByteArray& out) const
{
    const qint64 dayNumber = floorDiv(m_seconds, kSecondsPerDay);
    const qint64 s = m_seconds - dayNumber * kSecondsPerDay;
    out.append('#');
    const bool writeDate = dayNumber != 0 || s == 0;
    if (writeDate) {
        qint64 y;
        unsigned m, d;
        civilFromDays(dayNumber - kUnixEpochDays, y, m, d);
        appendDigits(out, y, 4);
        out.append('-');
        appendDigits(out, m, 2);
        out.append('-');
        appendDigits(out, d, 2);
    }
    if (s != 0) {
        if (writeDate)
            out.append(' ');
        appendDigits(out, s / 3600, 2);
        out.append(':');
        appendDigits(out, (s / 60) % 60, 2);
        out.append(':');
        appendDigits(out, s % 60, 2);
    }
    out.append('#');
}

QByteArray RecordDateTime::toRecordText() const
{
    QByteArray out;
    out.reserve(21);
    appendRecordText(out);
    return out;
}

} // namespace dovrin
