#pragma once

#include "commands/Commands.h"
#include "config/Startup.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The main window over a database folder, built as the program builds it, with a program
// folder of its own. Header only: the suites that use it link the windows.
namespace dovrin::test {

class MainWindowRig
{
public:
    std::unique_ptr<Startup> startup;
    std::unique_ptr<Database> database;
    std::unique_ptr<ui::MainWindow> window;
    std::unique_ptr<ui::CommandContext> commands;

    // Loads the database into a new window; `withCommands` plugs every menu's real commands in.
    bool open(Prompt& prompt, const QString& root, bool withCommands = true, bool show = true)
    {
        startup = std::make_unique<Startup>(prompt, m_program.path() + u'/',
                                            m_program.filePath(QStringLiteral("lock")));
        if (!startup->loadSettings())
            return false;
        database = std::make_unique<Database>(prompt);
        window = std::make_unique<ui::MainWindow>(*startup, *database, prompt);
        window->setShutdown([] {});
        database->setView(window.get());
        if (withCommands)
            installCommands(prompt);
        window->loadDatabase(root);
        if (!show)
            return true;
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    ui::CommandContext& installCommands(Prompt& prompt)
    {
        commands = std::make_unique<ui::CommandContext>(
            ui::CommandContext{*window, *database, *startup, prompt, {}, {}});
        ui::installCommands(*commands);
        return *commands;
    }

    // Closes the window and empties the program folder for the next test.
    void close()
    {
        commands.reset();
        window.reset();
        database.reset();
        startup.reset();
        QDir(m_program.path()).removeRecursively();
        QDir().mkpath(m_program.path());
    }

private:
    QTemporaryDir m_program;
};

} // namespace dovrin::test
