#include "MessageBoxPrompt.h"
#include "ThemeIcons.h"
#include "commands/Commands.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QApplication>

using namespace dovrin;

// Start-up, in its order: refuse a second copy, find the program folder and read Dovrin.cfg,
// build the main window (hidden; it takes its geometry from the settings), choose and load the
// database folder, show the window. Closing the window writes Dovrin.cfg and ends the program.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovrin"));
    platform::setUpIconTheme();

    platform::MessageBoxPrompt prompt;
    Startup startup(prompt, programFolder());
    if (!startup.claimSingleInstance())
        return 0;
    if (!startup.loadSettings())
        return 0;

    Database database(prompt);
    ui::MainWindow window(startup, database, prompt);
    database.setView(&window);
    prompt.setOwner(&window);
    ui::CommandContext commands{window, database, startup, prompt, {}};
    ui::installCommands(commands);

    window.loadStartupDatabase();
    window.show();
    return app.exec();
}
