#include "Commands.h"

namespace dovrin::ui {

// Reports: printouts and text listings.
void installReportCommands(CommandContext&) {}

} // namespace dovrin::ui
