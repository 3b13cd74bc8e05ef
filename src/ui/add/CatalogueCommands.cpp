#include "CatalogueCommands.h"

#include "AddDiskDialog.h"
#include "MainWindowDiskBrowser.h"
#include "common/Prompt.h"
#include "mainwindow/MainWindow.h"
#include "options/OptionsDialog.h"
#include "store/Database.h"

namespace dovrin::ui {

void catalogueNewDisk(MainWindow& window, Database& database, const Settings& settings,
                      Prompt& prompt)
{
    if (database.disks().count() == DiskTable::kCapacity) {
        prompt.error(QStringLiteral("Dovrin 2 does not support more than 1000 disks"));
        return;
    }
    MainWindowDiskBrowser browser(window);
    AddDiskDialog dialog(database, settings, prompt, browser, &window);
    dialog.exec();
}

void updateDisk(MainWindow& window, Database& database, const Settings& settings, Prompt& prompt,
                int index)
{
    if (index < 1 || index > database.disks().count())
        return;
    MainWindowDiskBrowser browser(window);
    AddDiskDialog dialog(database, settings, prompt, browser, &window);
    dialog.setUpdateDisk(index);
    dialog.exec();
}

void showOptions(MainWindow& window, Database& database, Settings& settings, Prompt& prompt)
{
    OptionsDialog dialog(settings, database.folder(), prompt, &window);
    dialog.exec();
}

void installCatalogueCommands(MainWindow& window, Database& database, Settings& settings,
                              Prompt& prompt)
{
    window.setCommand(QStringLiteral("mnuNewDisk"),
                      [&] { catalogueNewDisk(window, database, settings, prompt); });
    window.setCommand(QStringLiteral("mnuOptions"),
                      [&] { showOptions(window, database, settings, prompt); });
}

} // namespace dovrin::ui
