#include "Commands.h"
#include "HelpPage.h"
#include "help/AboutDialog.h"
#include "mainwindow/MainWindow.h"

namespace dovrin::ui {

namespace {

void showAbout(CommandContext& context)
{
    AboutDialog about(platform::openWebAddress, &context.window);
    about.exec();
}

} // namespace

// Help menu: the help page and the about box. The toolbar's help button, and those of the add
// dialog and the search window, do what "Help" does.
void installHelpCommands(CommandContext& context)
{
    context.window.setCommand(QStringLiteral("mnuHelp"), [] { platform::openHelpPage(); });
    context.window.setCommand(QStringLiteral("mnuAbout"), [&] { showAbout(context); });
}

} // namespace dovrin::ui
