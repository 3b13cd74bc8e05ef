#pragma once

#include "search/SearchMode.h"

#include <QDateTime>
#include <QString>

namespace dovrin {
class DisplayFormat;
}

namespace dovrin::search {
struct SearchRow;
}

namespace dovrin::reports {

class PageCanvas;

// The texts of one result as the list shows them.
struct PrintedResult
{
    QString inFolder;
    QString name;
    QString size;
    QString modified;
};
// A result row's texts, made by the display format the list uses.
PrintedResult printedResult(const search::SearchRow& row, const DisplayFormat& format);

// The results in the order they are printed.
class PrintedResults
{
public:
    virtual ~PrintedResults() = default;
    virtual int count() const = 0;
    virtual PrintedResult at(int index) const = 0;
};

// What the search line says of an option: "exact file names", "part of file names", ...
QString searchPhrase(search::SearchMode mode);

// The search results printout: the title, the date line, the search line naming the text and
// the option, the rule, then two lines per result. `searchText` is the text box as it stands.
struct SearchHeading
{
    QString searchText;
    search::SearchMode mode = search::SearchMode::Name;
    QDateTime printed; // the current time when not valid
};
bool printSearchResults(PageCanvas& canvas, const SearchHeading& heading,
                        const PrintedResults& results, const DisplayFormat& format);

} // namespace dovrin::reports
