#include "PrintJob.h"

#include "BusyCursor.h"
#include "PainterCanvas.h"
#include "PrinterChooser.h"
#include "common/DisplayFormat.h"
#include "common/Prompt.h"
#include "reports/SearchPrintout.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"

#include <QPrinter>

namespace dovrin::ui {

namespace {

// The rows of the search window's list top to bottom, with the list's own texts.
class ListedResults final : public reports::PrintedResults
{
public:
    explicit ListedResults(const SearchResultsModel& model) : m_model(model) {}
    int count() const override { return m_model.rowCount(); }
    reports::PrintedResult at(int row) const override
    {
        return {m_model.text(row, SearchResultsModel::InFolderColumn),
                m_model.text(row, SearchResultsModel::NameColumn),
                m_model.text(row, SearchResultsModel::SizeColumn),
                m_model.text(row, SearchResultsModel::ModifiedColumn)};
    }

private:
    const SearchResultsModel& m_model;
};

} // namespace

void printOnChosenPrinter(QWidget* owner, Prompt& prompt,
                          const std::function<bool(reports::PageCanvas&)>& draw)
{
    const std::unique_ptr<QPrinter> printer = platform::PrinterChooser::choose(owner);
    if (!printer)
        return;
    bool printed = false;
    {
        platform::BusyCursor busy;
        platform::PainterCanvas canvas(*printer);
        printed = !canvas.failed() && draw(canvas);
        if (!printed)
            printer->abort();
        printed = canvas.finish() && printed;
    }
    if (!printed)
        prompt.error(QStringLiteral("Printing aborted due to unknown error"));
}

void printSearchResults(SearchWindow& window, Prompt& prompt)
{
    const reports::SearchHeading heading{window.searchText(), window.mode(), {}};
    const ListedResults rows(*window.results());
    printOnChosenPrinter(&window, prompt, [&](reports::PageCanvas& canvas) {
        return reports::printSearchResults(canvas, heading, rows, DisplayFormat());
    });
}

} // namespace dovrin::ui
