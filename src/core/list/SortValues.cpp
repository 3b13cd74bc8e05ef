#include "SortValues.h"

#include <QDateTime>
#include <QStringList>

namespace dovrin::sortvalues {

namespace {

// The locale's time formats without a time zone: record times carry none.
QString withoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out.append(c);
    }
    return out.simplified();
}

} // namespace

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
    const QStringList timeFormats = {withoutZone(locale.timeFormat(QLocale::LongFormat)),
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
