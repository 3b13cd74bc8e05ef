#include "MessageBoxPrompt.h"
#include "ThemeIcons.h"
#include "add/CatalogueCommands.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "mainwindow/MainWindow.h"
#include "search/SearchWindow.h"
#include "store/Database.h"

#include <QApplication>
#include <QPointer>

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
    ui::installCatalogueCommands(window, database, startup.settings(), prompt);

    // The search window lives between uses; its close box unloads it.
    QPointer<ui::SearchWindow> search;
    window.setCommand(QStringLiteral("mnuSearch"), [&] {
        if (!search) {
            search = new ui::SearchWindow(database, &window, &window);
            search->setAttribute(Qt::WA_DeleteOnClose);
        }
        search->exec();
        if (search)
            search->setStatusText(QString());
    });

    window.loadStartupDatabase();
    window.show();
    return app.exec();
}
