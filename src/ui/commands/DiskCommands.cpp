#include "Commands.h"
#include "add/AddDiskDialog.h"
#include "add/MainWindowDiskBrowser.h"
#include "common/Prompt.h"
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

void installDiskCommands(CommandContext& context)
{
    context.window.setCommand(QStringLiteral("mnuNewDisk"), [&] { catalogueNewDisk(context); });
}

} // namespace dovrin::ui
