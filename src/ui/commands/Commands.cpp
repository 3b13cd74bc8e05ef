#include "Commands.h"

#include "HelpPage.h"
#include "config/Startup.h"
#include "copies/CopiesWindow.h"
#include "mainwindow/MainWindow.h"
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
    if (copies)
        delete copies.data();
}

CopiesWindow& CommandContext::copiesWindow()
{
    if (!copies) {
        copies = new CopiesWindow(database, &window, &window);
        copies->setAttribute(Qt::WA_DeleteOnClose);
        copies->setWindowModality(Qt::ApplicationModal);
        QObject::connect(copies, &CopiesWindow::helpRequested, &platform::openHelpPage);
    }
    return *copies;
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
