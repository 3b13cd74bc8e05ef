#include "SearchPrintout.h"

#include "CataloguePrintout.h"
#include "PageLayout.h"
#include "common/DisplayFormat.h"
#include "search/SearchRow.h"

namespace dovrin::reports {

using search::SearchMode;

namespace {

constexpr int kHeadX = 300;
constexpr int kFolderX = 400;
constexpr int kNameX = 700;
constexpr int kSizeX = 6900;
constexpr int kDateX = 8200;

constexpr int kHeadSize = 20;
constexpr int kBodySize = 10;

} // namespace

PrintedResult printedResult(const search::SearchRow& row, const DisplayFormat& format)
{
    return {row.inFolder, row.name, row.hasSize ? format.size(row.size) : QString(),
            row.hasModified ? format.dateTime(row.modified) : QString()};
}

QString searchPhrase(SearchMode mode)
{
    switch (mode) {
    case SearchMode::Whole:
        return QStringLiteral("exact file names");
    case SearchMode::Start:
        return QStringLiteral("start of file names");
    case SearchMode::Extension:
        return QStringLiteral("file name extensions");
    case SearchMode::Name:
        return QStringLiteral("part of file names");
    case SearchMode::Everything:
        return QStringLiteral("everything");
    case SearchMode::Comments:
        return QStringLiteral("file comments");
    case SearchMode::Folder:
        return QStringLiteral("directory names");
    case SearchMode::DiskName:
        return QStringLiteral("disk names");
    }
    return {};
}

bool printSearchResults(PageCanvas& canvas, const SearchHeading& heading,
                        const PrintedResults& results, const DisplayFormat& format)
{
    PageLayout layout(canvas);
    printTitle(layout);
    layout.setSize(kHeadSize);
    const QDateTime printed =
        heading.printed.isValid() ? heading.printed : QDateTime::currentDateTime();
    layout.printLine(kHeadX, QStringLiteral("Printed: ") +
                                 format.dateTime(RecordDateTime::fromDateTime(printed)));
    layout.printLine(kHeadX, QStringLiteral("Search results for: ") + heading.searchText +
                                 QStringLiteral(" in ") + searchPhrase(heading.mode));
    layout.rule();
    layout.setFont(kBodySize, false);
    layout.endLine();
    const int count = results.count();
    for (int i = 0; i < count && !layout.failed(); ++i) {
        const PrintedResult row = results.at(i);
        layout.printLine(kFolderX, row.inFolder);
        layout.print(kNameX, row.name);
        layout.print(kSizeX, row.size);
        layout.printLine(kDateX, row.modified);
    }
    return !layout.failed();
}

} // namespace dovrin::reports
