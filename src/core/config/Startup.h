#pragma once

#include "ConfigFile.h"
#include "Settings.h"
#include "SingleInstance.h"

#include <QString>
#include <memory>

namespace dovrin {

class Database;
class Prompt;

// The program's start-up and its Database menu, as steps the window's main() calls in order:
//
//     dovrin::Startup startup(prompt, dovrin::programFolder());
//     if (!startup.claimSingleInstance())  // "Dovrin is already running." was shown
//         return 0;
//     if (!startup.loadSettings())         // the user would not regenerate a corrupt config
//         return 0;
//     MainWindow window(startup.settings()); // geometry and column widths from the settings
//     dovrin::Database database(prompt, &window);
//     startup.loadDatabase(database);      // chooses the database folder, then loads it
//     window.show();
//     ... on closing the main window: store the geometry into startup.settings(), then
//     startup.saveSettings(), then end the program.
//
// Ending the program (`Shutdown`) is the caller's business: nothing here exits, and nothing
// here writes anything when the program ends early.
class Startup
{
public:
    // `programFolder` is absolute and ends with "/" (programFolder() in the real program,
    // a temporary folder in tests). `lockPath` names the single-instance lock; empty means
    // SingleInstance::defaultLockPath().
    Startup(Prompt& prompt, const QString& programFolder, const QString& lockPath = {});
    ~Startup();

    const QString& programFolder() const { return m_programFolder; }
    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    ConfigFile& config() { return m_config; }

    // False when another copy is running; the message has been shown and the caller must end
    // the program at once. The lock is held while this object lives.
    bool claimSingleInstance();

    // Writes the defaults when Dovrin.cfg is missing, then reads it. False when the file was
    // corrupt and the user chose not to regenerate it: the caller must end the program.
    bool loadSettings();
    // Reads Dovrin.cfg without asking or writing anything (for the command-line tool);
    // false, with the defaults kept, when it is missing or corrupt.
    bool peekSettings();
    // Writes the settings at the end of the run; false after "Unable to save config.".
    bool saveSettings();

    // The database folder for start-up: DatabasePath when it is set and can be used, else the
    // program folder (after "Database path not found. Using application path."). A relative
    // DatabasePath is taken from the program folder.
    QString chooseDatabaseFolder();
    // Chooses the database folder as above and loads it.
    void loadDatabase(Database& database);

    // Database menu, "Load...": `chosenFolder` is what the folder chooser returned, empty when
    // the user cancelled. True when the database was reloaded; a folder that cannot be used
    // says "Unable to change to directory" and leaves the loaded database as it was.
    bool loadChosenDatabase(Database& database, const QString& chosenFolder);
    // Database menu, "Load Default": the program folder, or DatabasePath when set. When
    // DatabasePath cannot be used it says "Default database path not found" and reloads
    // nothing; the loaded database, and its folder, stay as they were.
    bool loadDefaultDatabase(Database& database);

private:
    // A DatabasePath or chosen folder made absolute against the program folder.
    QString resolveFolder(const QString& folder) const;

    Prompt& m_prompt;
    QString m_programFolder;
    ConfigFile m_config;
    QString m_lockPath;
    std::unique_ptr<SingleInstance> m_instance; // made by claimSingleInstance()
    Settings m_settings;
};

} // namespace dovrin
