#pragma once

#include <QString>
#include <QStringList>

namespace dovrin::cli {

// Exit statuses of every command.
enum ExitStatus
{
    kSuccess = 0,
    kFailure = 1,
    kRefused = 2
};

// What every command gets: the database folder option and its own arguments.
struct CliContext
{
    QString databaseOption; // --database DIR, empty when not given
    QStringList args;       // the command's arguments, after the command name
    char** argv = nullptr;  // the tool's whole command line, for handing a command on
};

// A command of the tool.
struct Command
{
    const char* name;
    const char* usage;   // one line for --help
    const char* summary; // what it does
    int (*run)(CliContext&);
    bool paints = false; // draws printouts, which needs the GUI application (never a window)
};

} // namespace dovrin::cli
