#include "MessageBoxPrompt.h"
#include "ThemeIcons.h"
#include "config/ProgramFolder.h"
#include "config/Settings.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QApplication>
#include <QDir>

using namespace dovrin;

// Start-up, in its order: refuse a second copy, find the program folder, read the settings,
// build the main window (hidden), choose the database folder, load it, show the window.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovrin"));
    platform::setUpIconTheme();

    platform::MessageBoxPrompt prompt;

    const QString programFolder = dovrin::programFolder();
    Settings settings;

    Database database(prompt);
    ui::MainWindow window(settings, database, prompt);
    database.setView(&window);
    prompt.setOwner(&window);
    window.setProgramFolder(programFolder);

    QString databaseFolder = programFolder;
    if (!settings.databasePath.isEmpty()) {
        const QDir dir(settings.databasePath);
        if (dir.exists() && dir.isReadable())
            databaseFolder = settings.databasePath;
        else
            prompt.message(QStringLiteral("Path not found"),
                           QStringLiteral("Database path not found. Using application path."),
                           PromptIcon::Critical);
    }
    window.loadDatabase(databaseFolder);
    window.show();
    return app.exec();
}
