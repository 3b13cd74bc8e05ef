#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

using namespace dovrin::cli;

namespace {

// The groups of commands, in the order --help lists them.
const std::span<const Command> kGroups[] = {
    baseCommands(),
    manageCommands(),
    fileCommands(),
};

void printHelp(FILE* to)
{
    QTextStream out(to);
    out << "Usage: dovrin-cli [--database DIR] COMMAND [ARGUMENTS]\n\n"
           "Dovrin's catalogue database from the command line. Without --database it uses\n"
           "the database folder that dovrin itself would load.\n\nCommands:\n";
    for (std::span<const Command> group : kGroups) {
        for (const Command& c : group)
            out << "  " << c.usage << "\n      " << c.summary << "\n";
    }
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
    for (std::span<const Command> group : kGroups) {
        for (const Command& c : group) {
            if (name == QLatin1String(c.name))
                return c.run(context);
        }
    }
    std::fprintf(stderr, "dovrin-cli: unknown command %s\n", qPrintable(name));
    printHelp(stderr);
    return kRefused;
}
