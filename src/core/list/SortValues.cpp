#include "SortValues.h"

#include "common/DisplayFormat.h"

#include <QDateTime>
#include <QStringList>

namespace dovrin::sortvalues {

double numberOfText(QStringView text, const QLocale& locale)
{
    text = text.first(std::min(text.size(), kCellTextLimit)).trimmed();
    if (text.isEmpty())
        return 0;
    QLocale reading = locale;
    reading.setNumberOptions(reading.numberOptions() & ~QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = reading.toDouble(text, &ok);
    return ok ? value : 0;
}

RecordDateTime unreadableDate()
{
    return RecordDateTime::fromDateAndTime(QDate(4501, 1, 1), QTime(0, 0));
}

RecordDateTime dateOfText(QStringView text, const QLocale& locale)
{
    text = text.first(std::min(text.size(), kCellTextLimit)).trimmed();
    if (text.isEmpty())
        return RecordDateTime::zero();
    const QString cell = text.toString();

    const QStringList dateFormats = {locale.dateFormat(QLocale::ShortFormat),
                                     locale.dateFormat(QLocale::LongFormat)};
    const QStringList timeFormats = {withoutTimeZone(locale.timeFormat(QLocale::LongFormat)),
                                     locale.timeFormat(QLocale::ShortFormat)};
    for (const QString& dateFormat : dateFormats) {
        for (const QString& timeFormat : timeFormats) {
            const QDateTime dateTime =
                locale.toDateTime(cell, dateFormat + QLatin1Char(' ') + timeFormat);
            if (dateTime.isValid())
                return RecordDateTime::fromDateAndTime(dateTime.date(), dateTime.time());
        }
        const QDate date = locale.toDate(cell, dateFormat);
        if (date.isValid())
            return RecordDateTime::fromDateAndTime(date, QTime(0, 0));
    }
    for (const QString& timeFormat : timeFormats) {
        const QTime time = locale.toTime(cell, timeFormat);
        if (time.isValid())
            return RecordDateTime::fromDateAndTime(RecordDateTime::zero().date(), time);
    }
    return unreadableDate();
}

} // namespace dovrin::sortvalues
