#pragma once

namespace dovrin {
class Database;
class Prompt;
struct Settings;
} // namespace dovrin

namespace dovrin::ui {

class MainWindow;

// Plugs "Catalogue a new disk" and "Options" (menu items and toolbar buttons) into the window.
void installCatalogueCommands(MainWindow& window, Database& database, Settings& settings,
                              Prompt& prompt);

// "Catalogue a new disk": the limit of the disk table, then the add dialog as it opens.
void catalogueNewDisk(MainWindow& window, Database& database, const Settings& settings,
                      Prompt& prompt);
// The update form of the add dialog for the disk of table entry `index`.
void updateDisk(MainWindow& window, Database& database, const Settings& settings, Prompt& prompt,
                int index);
void showOptions(MainWindow& window, Database& database, Settings& settings, Prompt& prompt);

} // namespace dovrin::ui
