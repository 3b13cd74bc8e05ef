#include "Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

using namespace dovrin::cli;

namespace {

// The groups of commands, in the order --help lists them.
const std::span<const Command> kGroups[] = {
    baseCommands(),
    fileCommands(),
    reportCommands(),
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

const Command* findCommand(const QString& name)
{
    for (std::span<const Command> group : kGroups) {
        for (const Command& c : group) {
            if (name == QLatin1String(c.name))
                return &c;
        }
    }
    return nullptr;
}

// Drawing text needs the GUI application; the offscreen platform gives it fonts without a
// display. Every other command starts without it.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool paints)
{
    if (!paints)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

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
    const Command* command = findCommand(name);
    if (!command) {
        std::fprintf(stderr, "dovrin-cli: unknown command %s\n", qPrintable(name));
        printHelp(stderr);
        return kRefused;
    }
    context.args = args;
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv, command->paints);
    QCoreApplication::setApplicationName(QStringLiteral("dovrin"));
    return command->run(context);
}
