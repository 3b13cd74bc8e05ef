#include "Commands.h"
#include "add/AddDiskDialog.h"
#include "add/MainWindowDiskBrowser.h"
#include "common/Prompt.h"
#include "config/Settings.h"
#include "copies/CopiesWindow.h"
#include "copies/VerifyWindow.h"
#include "mainwindow/CatalogueChooser.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "manage/DiskChanges.h"
#include "store/Database.h"

namespace dovrin::ui {

namespace {

DiskChanges changes(CommandContext& context)
{
    return DiskChanges(context.database, context.prompt, windowHooks(context));
}

QString selectedKey(CommandContext& context)
{
    return context.window.tree()->selectedKey();
}

void deleteDisk(CommandContext& context)
{
    if (changes(context).remove(selectedKey(context)).outcome != ChangeOutcome::Done)
        return;
    // The tree has chosen another node, or none.
    if (context.database.disks().count() > 0 && !selectedKey(context).isEmpty() &&
        context.window.tree()->selectedTag() != tags::kCatalogue)
        context.window.fillFileList(selectedKey(context));
}

// The renamed or moved disk's folders read, its node shown and selected, its root listed.
void showChangedDisk(CommandContext& context, const QString& diskKey)
{
    MainWindowDiskBrowser browser(context.window);
    browser.showDisk(diskKey);
    browser.fillFileList(diskKey);
}

void renameDisk(CommandContext& context)
{
    const ChangeResult result = changes(context).rename(selectedKey(context));
    if (result.outcome != ChangeOutcome::Done)
        return;
    MainWindowDiskBrowser(context.window).prepareForDisk();
    showChangedDisk(context, result.key);
}

void moveDisk(CommandContext& context)
{
    auto choose = [&context](const QString& leaveOut) {
        CatalogueChooser chooser(context.database.folder(), leaveOut, context.prompt,
                                 &context.window);
        if (chooser.target() == u":")
            return chooser.target();
        chooser.exec();
        return chooser.target();
    };
    const ChangeResult result = changes(context).move(selectedKey(context), choose);
    if (result.outcome == ChangeOutcome::Done)
        showChangedDisk(context, result.key);
}

} // namespace

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
    return context.database.findDisk(selectedKey(context));
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
    window.setCommand(QStringLiteral("mnuDeleteDisk"), [&] { deleteDisk(context); });
    window.setCommand(QStringLiteral("mnuRenameDisk"), [&] { renameDisk(context); });
    window.setCommand(QStringLiteral("mnuMoveDiskToCat"), [&] { moveDisk(context); });
    window.setCommand(QStringLiteral("mnuUpdateDisk"), [&] {
        updateDisk(context, context.database.findDisk(selectedKey(context)));
    });
    window.setCommand(QStringLiteral("mnuOnlyOnDisk"), [&] { showOnlyOn(context); });
    window.setCommand(QStringLiteral("mnuVerifyDisk"), [&] { verifyDisk(context); });
}

} // namespace dovrin::ui
