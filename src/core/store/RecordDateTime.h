#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <optional>

namespace dovrin {

// A wall-clock date-time as the record files hold it, counted in whole seconds from the
// zero date, 30 December 1899 00:00:00. No time zone: the file system's local time is stored.
// Eight bytes, ordered, cheap to sort.
class RecordDateTime
{
public:
    constexpr RecordDateTime() = default;
    static constexpr RecordDateTime zero() { return RecordDateTime(); }
    static constexpr RecordDateTime fromSeconds(qint64 seconds) { return RecordDateTime(seconds); }
    static RecordDateTime fromDateTime(const QDateTime& dateTime);
    static RecordDateTime fromDateAndTime(QDate date, QTime time);
    // Local wall-clock time of a Unix timestamp (seconds since 1970 UTC).
    static RecordDateTime fromUnixTime(qint64 unixSeconds);

    // Parses "#2026-03-01 10:15:00#", "#2026-03-01#" or "#10:15:00#" (the # are optional).
    static std::optional<RecordDateTime> parse(QByteArrayView text);

    constexpr qint64 seconds() const { return m_seconds; }
    QDate date() const;
    QTime time() const;
    QDateTime toDateTime() const;

    // The quoted-field form: #yyyy-mm-dd hh:mm:ss#, the date alone at midnight, the time
    // alone on the zero date; the zero date-time itself is written as its date.
    QByteArray toRecordText() const;
    void appendRecordText(QByteArray& out) const;

    friend constexpr auto operator<=>(RecordDateTime, RecordDateTime) = default;

private:
    constexpr explicit RecordDateTime(qint64 seconds) : m_seconds(seconds) {}
    qint64 m_seconds = 0;
};

} // namespace dovrin
