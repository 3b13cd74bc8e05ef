#include "Commands.h"

namespace dovrin::ui {

// File menu: run and copy catalogued files.
void installFileCommands(CommandContext&) {}

} // namespace dovrin::ui
