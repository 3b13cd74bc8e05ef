#include "Commands.h"

namespace dovrin::ui {

// Catalogue menu: create, delete and rename catalogues.
void installCatalogueCommands(CommandContext&) {}

} // namespace dovrin::ui
