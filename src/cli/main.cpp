#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

using namespace dovrin::cli;

namespace {

const Command kCommands[] = {
    {"disks", "disks",
     "list the loaded disks: record path, source, free space, date, "
     "folders-only flag",
     runDisks},
    {"catalogue",
     "catalogue SOURCE NAME [--catalogue CAT] [--folders-only] [--attributes 0|2|4|6] "
     "[--overwrite]",
     "catalogue the folder SOURCE as the disk NAME", runCatalogue},
    {"comment", "comment KEY [TEXT]",
     "print the comment of KEY, or set it to TEXT (empty "
     "TEXT clears it)",
     runComment},
    {"comments", "comments [PREFIX]",
     "list the comments (key TAB comment), optionally only "
     "those whose key begins with PREFIX",
     runComments},
    {"search", "search MODE TEXT",
     "search every disk; MODE is name, ext, whole, start, all, comment, dir or disk", runSearch},
};

void printHelp(FILE* to)
{
    QTextStream out(to);
    out << "Usage: dovrin-cli [--database DIR] COMMAND [ARGUMENTS]\n\n"
           "Dovrin's catalogue database from the command line. Without --database it uses\n"
           "the database folder that dovrin itself would load.\n\nCommands:\n";
    for (const Command& c : kCommands)
        out << "  " << c.usage << "\n      " << c.summary << "\n";
    out << "\nExit status: 0 on success, 2 for refused input, 1 for other failures.\n";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dovrin"));
    QStringList args = app.arguments().mid(1);

    CliContext context;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help")) {
            printHelp(stdout);
            return kSuccess;
        }
        if (option == QLatin1String("--database") && !args.isEmpty()) {
            context.databaseOption = args.takeFirst();
            continue;
        }
        std::fprintf(stderr, "dovrin-cli: unknown option %s\n", qPrintable(option));
        printHelp(stderr);
        return kRefused;
    }
    if (args.isEmpty()) {
        printHelp(stderr);
        return kRefused;
    }
    const QString name = args.takeFirst();
    context.args = args;
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(context);
    }
    std::fprintf(stderr, "dovrin-cli: unknown command %s\n", qPrintable(name));
    printHelp(stderr);
    return kRefused;
}
