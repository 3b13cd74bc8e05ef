#include "Commands.h"
#include "HelpPage.h"
#include "copies/CopiesResultsModel.h"
#include "copies/CopiesWindow.h"
#include "mainwindow/MainWindow.h"
#include "options/OptionsDialog.h"
#include "reports/PrintJob.h"
#include "search/SearchWindow.h"
#include "store/Database.h"

namespace dovrin::ui {

namespace {

// The search window lives between uses; its close box unloads it.
void showSearch(CommandContext& context)
{
    if (!context.search) {
        context.search = new SearchWindow(context.database, &context.window, &context.window);
        context.search->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(context.search, &SearchWindow::helpRequested, &platform::openHelpPage);
        QObject::connect(context.search, &SearchWindow::printRequested, context.search,
                         [&context] { printSearchResults(*context.search, context.prompt); });
    }
    context.search->exec();
    if (context.search)
        context.search->setStatusText(QString());
}

// "Find copies...": the copies window, looking for every group of copies.
void showCopies(CommandContext& context)
{
    CopiesWindow& copies = context.copiesWindow();
    if (copies.onlyOnDisk() != 0) {
        copies.setOnlyOnDisk(0);
        copies.results()->clear();
    }
    copies.exec();
}

void showOptions(CommandContext& context)
{
    OptionsDialog dialog(context.settings(), context.database.folder(), context.prompt,
                         &context.window);
    dialog.exec();
}

} // namespace

void installToolsCommands(CommandContext& context)
{
    context.window.setCommand(QStringLiteral("mnuSearch"), [&] { showSearch(context); });
    context.window.setCommand(QStringLiteral("mnuCopies"), [&] { showCopies(context); });
    context.window.setCommand(QStringLiteral("mnuOptions"), [&] { showOptions(context); });
}

} // namespace dovrin::ui
