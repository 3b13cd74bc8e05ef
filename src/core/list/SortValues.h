#pragma once

#include "store/RecordDateTime.h"

#include <QLocale>
#include <QStringView>

namespace dovrin {

// The values by which the numeric and date sorts order a list, taken from a cell's text as the
// user sees it. Only the first 31 characters of a cell count.
namespace sortvalues {

inline constexpr qsizetype kCellTextLimit = 31;

// An empty cell is 0; otherwise the number, the locale's thousands separators allowed
// ("1,234" is 1234). A text that is not a number also counts as 0.
double numberOfText(QStringView text, const QLocale& locale = QLocale());

// The date-time that sorts after every other: 1 January 4501, 00:00.
RecordDateTime unreadableDate();

// An empty cell is the zero date-time; a date-time, a date or a time in the locale's short
// date and time formats is that value (a time alone falls on the zero date); any other text
// is unreadableDate().
RecordDateTime dateOfText(QStringView text, const QLocale& locale = QLocale());

} // namespace sortvalues
} // namespace dovrin
