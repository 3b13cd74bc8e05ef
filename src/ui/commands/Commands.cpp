#include "Commands.h"

#include "config/Startup.h"
#include "search/SearchWindow.h"

namespace dovrin::ui {

Settings& CommandContext::settings() const
{
    return startup.settings();
}

void CommandContext::unloadSearchWindow()
{
    if (search)
        delete search.data();
}

void installCommands(CommandContext& context)
{
    installToolsCommands(context);
    installCatalogueCommands(context);
    installDiskCommands(context);
    installFileCommands(context);
    installReportCommands(context);
    installHelpCommands(context);
}

} // namespace dovrin::ui
