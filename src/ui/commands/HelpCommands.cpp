#include "Commands.h"

namespace dovrin::ui {

// Help menu: the help page and the about box.
void installHelpCommands(CommandContext&) {}

} // namespace dovrin::ui
