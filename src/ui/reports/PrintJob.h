#pragma once

#include <functional>

class QWidget;

namespace dovrin {
class Prompt;
}

namespace dovrin::reports {
class PageCanvas;
}

namespace dovrin::ui {

class SearchWindow;

// One printout: the system print dialog (owned by `owner`), then the drawing on the chosen
// printer with the busy pointer. Cancelling the dialog prints nothing and says nothing; a
// failure of the printer or of `draw` ends the printout with "Printing aborted due to
// unknown error".
void printOnChosenPrinter(QWidget* owner, Prompt& prompt,
                          const std::function<bool(reports::PageCanvas&)>& draw);

// "Print results": the search window's list as it stands on screen (its order and texts),
// under the search text and the option chosen now.
void printSearchResults(SearchWindow& window, Prompt& prompt);

} // namespace dovrin::ui
