#include "Commands.h"
#include "add/AddDiskDialog.h"
#include "add/MainWindowDiskBrowser.h"
#include "common/Prompt.h"
#include "config/Settings.h"
#include "copies/CopiesWindow.h"
#include "copies/VerifyWindow.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

namespace dovrin::ui {

void catalogueNewDisk(CommandContext& context)
{
    if (context.database.disks().count() == DiskTable::kCapacity) {
        context.prompt.error(QStringLiteral("Dovrin 2 does not support more than 1000 disks"));
        return;
    }
    MainWindowDiskBrowser browser(context.window);
    AddDiskDialog dialog(context.database, context.settings(), context.prompt, browser,
                         &context.window);
    dialog.exec();
}

void updateDisk(CommandContext& context, int index)
{
    if (index < 1 || index > context.database.disks().count())
        return;
    MainWindowDiskBrowser browser(context.window);
    AddDiskDialog dialog(context.database, context.settings(), context.prompt, browser,
                         &context.window);
    dialog.setUpdateDisk(index);
    dialog.exec();
}

namespace {

int selectedDisk(CommandContext& context)
{
    return context.database.findDisk(context.window.tree()->selectedKey());
}

// "Files only on this disk": the copies window, filled with them at once.
void showOnlyOn(CommandContext& context)
{
    const int disk = selectedDisk(context);
    if (disk == 0)
        return;
    CopiesWindow& copies = context.copiesWindow();
    copies.setOnlyOnDisk(disk);
    copies.show();
    copies.find();
    if (copies.isVisible())
        copies.exec();
}

void verifyDisk(CommandContext& context)
{
    const int disk = selectedDisk(context);
    if (disk == 0)
        return;
    VerifyWindow verify(context.database, disk, context.settings().attributeMask, context.prompt,
                        &context.window, &context.window);
    verify.setWindowModality(Qt::ApplicationModal);
    verify.show();
    if (verify.verify() && verify.exec() == VerifyWindow::UpdateRequested)
        updateDisk(context, disk);
}

} // namespace

void installDiskCommands(CommandContext& context)
{
    MainWindow& window = context.window;
    window.setCommand(QStringLiteral("mnuNewDisk"), [&] { catalogueNewDisk(context); });
    window.setCommand(QStringLiteral("mnuOnlyOnDisk"), [&] { showOnlyOn(context); });
    window.setCommand(QStringLiteral("mnuVerifyDisk"), [&] { verifyDisk(context); });
}

} // namespace dovrin::ui
