#include "DatePattern.h"

namespace dovrin {

namespace {

void appendNumber(QString& out, int value, int width)
{
    char16_t digits[12];
    int n = 0;
    unsigned magnitude = unsigned(value);
    do {
        digits[n++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int pad = n; pad < width; ++pad)
        out.append(u'0');
    while (n > 0)
        out.append(QChar(digits[--n]));
}

// How many times the character at `i` stands in a row.
int repeatCount(const QString& format, qsizetype i)
{
    int n = 1;
    while (i + n < format.size() && format[i + n] == format[i])
        ++n;
    return n;
}

} // namespace

DatePattern::DatePattern(const QString& format, const QLocale& locale, Of of)
{
    if (!compile(format, locale))
        return;
    // The probes: one- and two-digit fields, the ends of the day, the month and the year, every
    // month and day of the week, years before 1000 and the zero date of the records.
    m_valid = true;
    if (of == Of::Date) {
        for (int i = 0; i < 24 && m_valid; ++i) {
            const QDate probe =
                QDate(1899 + i * 101 % 8100, 1 + i % 12, 1 + i * 13 % 31 % 28).addDays(i % 7 * 3);
            QString mine;
            append(mine, probe, QTime(0, 0));
            m_valid = mine == locale.toString(probe, format);
        }
        for (const QDate probe : {QDate(1899, 12, 30), QDate(999, 1, 5), QDate(9999, 12, 31),
                                  QDate(2000, 10, 10), QDate(2026, 12, 7)}) {
            QString mine;
            append(mine, probe, QTime(0, 0));
            m_valid = m_valid && mine == locale.toString(probe, format);
        }
    } else {
        for (int i = 0; i < 48 && m_valid; ++i) {
            const QTime probe(i % 24, i * 7 % 60, i * 13 % 60);
            QString mine;
            append(mine, QDate(2000, 1, 1), probe);
            m_valid = mine == locale.toString(probe, format);
        }
    }
}

bool DatePattern::compile(const QString& format, const QLocale& locale)
{
    if (locale.zeroDigit() != QStringLiteral("0"))
        return false;
    bool twelveHours = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'\'') { // quoted text is skipped
            while (++i < format.size() && format[i] != u'\'') {
            }
        } else if (format[i] == u'a' || format[i] == u'A') {
            twelveHours = true;
        }
    }

    const auto addText = [this](QStringView text) {
        if (m_parts.empty() || m_parts.back().field != Field::Text)
            m_parts.push_back(Part{Field::Text});
        m_parts.back().text += text;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            if (i + 1 < format.size() && format[i + 1] == u'\'') { // '' is a quote
                addText(u"'");
                i += 2;
                continue;
            }
            qsizetype end = i + 1;
            QString quoted;
            while (end < format.size()) {
                if (format[end] == u'\'') {
                    if (end + 1 < format.size() && format[end + 1] == u'\'') {
                        quoted += u'\'';
                        end += 2;
                        continue;
                    }
                    break;
                }
                quoted += format[end++];
            }
            addText(quoted);
            i = end + 1;
            continue;
        }
        const int repeat = repeatCount(format, i);
        switch (c.unicode()) {
        case u'd':
        case u'M': {
            const int n = qMin(repeat, 4);
            const bool day = c == u'd';
            Part part{n <= 2 ? (day ? Field::Day : Field::Month)
                             : (day ? Field::DayName : Field::MonthName),
                      n};
            if (n > 2) {
                const QString token = format.mid(i, n);
                for (int k = 1; k <= (day ? 7 : 12); ++k)
                    part.names.push_back(locale.toString(
                        day ? QDate(2001, 1, k) : QDate(2001, k, 1), token)); // 2001-01-01: Monday
            }
            m_parts.push_back(std::move(part));
            i += n;
            break;
        }
        case u'y':
            if (repeat >= 4) {
                m_parts.push_back(Part{Field::Year4, 4});
                i += 4;
            } else if (repeat >= 2) {
                m_parts.push_back(Part{Field::Year2, 2});
                i += 2;
            } else {
                addText(u"y");
                ++i;
            }
            break;
        case u'h':
        case u'H':
        case u'm':
        case u's': {
            const int n = qMin(repeat, 2);
            const Field field = c == u'm'                   ? Field::Minute
                                : c == u's'                 ? Field::Second
                                : c == u'H' || !twelveHours ? Field::Hour24
                                                            : Field::Hour12;
            m_parts.push_back(Part{field, n});
            i += n;
            break;
        }
        case u'a':
        case u'A': {
            const int n =
                i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P') ? 2 : 1;
            const QString token = format.mid(i, n);
            m_parts.push_back(
                Part{Field::AmPm,
                     n,
                     {locale.toString(QTime(1, 0), token), locale.toString(QTime(13, 0), token)}});
            i += n;
            break;
        }
        case u'z':
        case u't':
        case u'p':
        case u'P':
            return false; // milliseconds and time zones are not shown; a lone p is unclear
        default:
            addText(QStringView(format).sliced(i, 1));
            ++i;
            break;
        }
    }
    return true;
}

void DatePattern::append(QString& out, QDate date, QTime time) const
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    for (const Part& part : m_parts) {
        switch (part.field) {
        case Field::Text:
            out += part.text;
            break;
        case Field::Day:
            appendNumber(out, day, part.width);
            break;
        case Field::DayName:
            out += part.names[size_t(date.dayOfWeek() - 1)];
            break;
        case Field::Month:
            appendNumber(out, month, part.width);
            break;
        case Field::MonthName:
            out += part.names[size_t(month - 1)];
            break;
        case Field::Year2:
            appendNumber(out, year % 100, 2);
            break;
        case Field::Year4:
            appendNumber(out, year, 4);
            break;
        case Field::Hour24:
            appendNumber(out, time.hour(), part.width);
            break;
        case Field::Hour12:
            appendNumber(out, time.hour() % 12 == 0 ? 12 : time.hour() % 12, part.width);
            break;
        case Field::Minute:
            appendNumber(out, time.minute(), part.width);
            break;
        case Field::Second:
            appendNumber(out, time.second(), part.width);
            break;
        case Field::AmPm:
            out += part.names[time.hour() < 12 ? 0 : 1];
            break;
        }
    }
}

} // namespace dovrin
