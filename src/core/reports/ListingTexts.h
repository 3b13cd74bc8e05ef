#pragma once

#include "common/DisplayFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <memory>

namespace dovrin::reports {

// The size and date-time texts of a listing's body as UTF-8, made by the display format the
// windows use. Formatting a date or a time through the locale costs more than the rest of a
// body line, so the texts of each day and of each second of the day are made once; both
// caches are bounded, whatever the number of files. A returned view is valid until the
// next call.
class ListingTexts
{
public:
    explicit ListingTexts(const DisplayFormat& format);
    ~ListingTexts();

    QByteArrayView size(qint64 bytes);
    QByteArrayView dateTime(RecordDateTime value);

private:
    QByteArrayView date(qint64 day);
    QByteArrayView time(int second);

    struct TimeText
    {
        quint8 length = 0; // 0: not made yet
        char bytes[23];
    };
    static constexpr int kDaysKept = 4096;

    const DisplayFormat& m_format;
    QByteArray m_size;
    QByteArray m_dateTime;
    QByteArray m_longTime;
    QHash<qint64, QByteArray> m_dates;
    std::unique_ptr<TimeText[]> m_times; // one per second of the day, made when first needed
};

} // namespace dovrin::reports
