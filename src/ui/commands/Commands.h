#pragma once

#include "manage/ChangeResult.h"

#include <QPointer>

namespace dovrin {
class Database;
class Prompt;
struct Settings;
class Startup;
} // namespace dovrin

namespace dovrin::ui {

class CopiesWindow;
class MainWindow;
class SearchWindow;

// What the menu commands work on: the main window, the loaded database, the start-up's
// settings and program folder, and the one prompt. It also owns the search and copies windows
// between their uses, so a command that changes keys can close them first.
struct CommandContext
{
    MainWindow& window;
    Database& database;
    Startup& startup;
    Prompt& prompt;
    QPointer<SearchWindow> search = {};
    QPointer<CopiesWindow> copies = {};

    Settings& settings() const;
    // Unloads the search and copies windows, whose results could point at keys that are about
    // to change.
    void unloadSearchWindow();
    // The copies window, made on first use; its close box unloads it.
    CopiesWindow& copiesWindow();
};

// Plugs every menu group's commands into the window. Each group lives in its own file,
// named after its menu.
void installCommands(CommandContext& context);

void installToolsCommands(CommandContext& context);     // Tools: search, copies, options
void installCatalogueCommands(CommandContext& context); // Catalogue
void installDiskCommands(CommandContext& context);      // Disk: new, update, ...
void installFileCommands(CommandContext& context);      // File: run, copy
void installReportCommands(CommandContext& context);    // print, text listings
void installHelpCommands(CommandContext& context);      // Help: help page, about

// "Catalogue a new disk": the limit of the disk table, then the add dialog as it opens.
void catalogueNewDisk(CommandContext& context);
// The update form of the add dialog for the disk of table entry `index`.
void updateDisk(CommandContext& context, int index);

// What the catalogue and disk commands do in the window besides the tree nodes: the search
// window unloaded, the listing emptied while the tree is filled again.
ChangeHooks windowHooks(CommandContext& context);

} // namespace dovrin::ui
