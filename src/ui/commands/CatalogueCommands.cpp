#include "Commands.h"
#include "add/MainWindowDiskBrowser.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "manage/CatalogueChanges.h"

namespace dovrin::ui {

// What every catalogue and disk command does in the window besides its tree nodes.
ChangeHooks windowHooks(CommandContext& context)
{
    return {[&context] { context.unloadSearchWindow(); },
            [&context] { MainWindowDiskBrowser(context.window).prepareForDisk(); }};
}

namespace {

CatalogueChanges changes(CommandContext& context)
{
    return CatalogueChanges(context.database, context.prompt, windowHooks(context));
}

void renameCatalogue(CommandContext& context)
{
    const ChangeResult result = changes(context).rename(context.window.tree()->selectedKey());
    if (result.outcome == ChangeOutcome::Done)
        context.window.setListingStatus(QString());
}

} // namespace

// Catalogue menu: create, delete and rename catalogues.
void installCatalogueCommands(CommandContext& context)
{
    context.window.setCommand(QStringLiteral("mnuNewCatalogue"),
                              [&] { changes(context).create(); });
    context.window.setCommand(QStringLiteral("mnuDeleteCatalogue"), [&] {
        changes(context).remove(context.window.tree()->selectedKey());
    });
    context.window.setCommand(QStringLiteral("mnuRenameCatalogue"),
                              [&] { renameCatalogue(context); });
}

} // namespace dovrin::ui
