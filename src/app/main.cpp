#include "BuildInfo.h"
#include "MessageBoxPrompt.h"
#include "ThemeIcons.h"
#include "commands/Commands.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <cstring>

using namespace dovrin;

namespace {

constexpr int kRefused = 2;

void describeOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Dovrin, the disk cataloguer. It opens no files from its command line: "
                       "the database is loaded from the Database menu, and the default one is "
                       "set in Tools, Options."));
    parser.addHelpOption();
    parser.addVersionOption();
}

// --help and --version are answered without a window, so they work with no display and
// while another copy runs.
bool asksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int answerText(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dovrin"));
    QCommandLineParser parser;
    describeOptions(parser);
    parser.parse(app.arguments());
    QTextStream out(stdout);
    if (parser.isSet(QStringLiteral("version")) && !parser.isSet(QStringLiteral("help"))) {
        out << "dovrin " << build::kVersion << "\n";
        return 0;
    }
    const QString helpPage = helpPagePath();
    out << parser.helpText()
        << "\nUser guide: " << (helpPage.isEmpty() ? QStringLiteral("not installed") : helpPage)
        << "\n";
    return 0;
}

} // namespace

// Start-up, in its order: refuse a second copy, find the program folder and read Dovrin.cfg,
// build the main window (hidden; it takes its geometry from the settings), choose and load the
// database folder, show the window. Closing the window writes Dovrin.cfg and ends the program.
int main(int argc, char** argv)
{
    if (asksForText(argc, argv))
        return answerText(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovrin"));
    QApplication::setApplicationVersion(QLatin1String(build::kVersion));
    // Ties the windows to the installed .desktop file (its name and icon in the task bar).
    QGuiApplication::setDesktopFileName(QLatin1String(build::kAppId));

    // What Qt leaves of the command line (it takes its own options, -platform and the like).
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.errorText().isEmpty()
                                  ? QStringLiteral("Dovrin opens no files from its command line.")
                                  : parser.errorText();
        QTextStream(stderr) << "dovrin: " << error << "\nTry 'dovrin --help'.\n";
        return kRefused;
    }
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
    ui::CommandContext commands{window, database, startup, prompt, {}, {}};
    ui::installCommands(commands);

    window.loadStartupDatabase();
    window.show();
    return app.exec();
}
