#pragma once

#include "common/DisplayFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <memory>

namespace dovrin::reports {

// The size and date-time texts of a listing's body as UTF-8, made by the display format the
// windows use. Formatting a date or a time through the locale costs more than the rest of a
// body line, so the text of each day and of each second of the day is made once, into tables
// of fixed size, whatever the number of files. A returned view is valid until the next call.
class ListingTexts
{
public:
    explicit ListingTexts(const DisplayFormat& format);
    ~ListingTexts();

    QByteArrayView size(qint64 bytes);
    QByteArrayView dateTime(RecordDateTime value);

private:
    struct Text
    {
        quint8 length = 0; // 0: not made yet
        char bytes[15];
    };
    // Looks a text up in a table, making it with `make` the first time; texts too long for a
    // slot are made every time.
    template <typename Make> QByteArrayView cached(Text& slot, Make&& make);
    QByteArrayView date(qint64 day);
    QByteArrayView time(int second);

    // Days from the zero date; the years 1900 to 2079 are kept, others made every time.
    static constexpr qint64 kDaysKept = 65536;

    const DisplayFormat& m_format;
    QByteArray m_size;
    QByteArray m_made;
    QByteArray m_dateTime;
    std::unique_ptr<Text[]> m_dates; // made when first needed
    std::unique_ptr<Text[]> m_times; // one per second of the day
};

} // namespace dovrin::reports
