#include "BuildInfo.h"
#include "Commands.h"

#include <QCommandLineParser>
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

// The parser's usage and options, then every command with its arguments. The "Commands:"
// block is read by the bash completion and the manual page: two blanks before a command's
// usage line, six before its summary.
QString helpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    QTextStream out(&text);
    out << "\nCommands:\n";
    for (std::span<const Command> group : kGroups) {
        for (const Command& c : group)
            out << "  " << c.usage << "\n      " << c.summary << "\n";
    }
    out << "\nExit status: 0 on success, 2 for refused input, 1 for other failures.\n";
    return text;
}

int refuse(const QString& message)
{
    QTextStream(stderr) << "dovrin-cli: " << message << "\nTry 'dovrin-cli --help'.\n";
    return kRefused;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dovrin"));
    QCoreApplication::setApplicationVersion(QLatin1String(dovrin::build::kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Dovrin's catalogue database from the command line. Without --database "
                       "it uses the database folder that dovrin itself would load."));
    // A command's own options come after its name and are the command's to read.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Use the database in <DIR>."),
                                      QStringLiteral("DIR"));
    parser.addOption(database);
    parser.addPositionalArgument(QStringLiteral("COMMAND"),
                                 QStringLiteral("One of the commands below."));
    parser.addPositionalArgument(QStringLiteral("ARGUMENTS"),
                                 QStringLiteral("The command's arguments and options."),
                                 QStringLiteral("[ARGUMENTS...]"));

    if (!parser.parse(app.arguments()))
        return refuse(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << helpText(parser);
        return kSuccess;
    }
    if (parser.isSet(version)) {
        std::printf("dovrin %s\n", dovrin::build::kVersion);
        return kSuccess;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return refuse(QStringLiteral("no command given"));
    CliContext context;
    context.databaseOption = parser.value(database);
    const QString name = args.takeFirst();
    context.args = args;
    for (std::span<const Command> group : kGroups) {
        for (const Command& c : group) {
            if (name == QLatin1String(c.name))
                return c.run(context);
        }
    }
    return refuse(QStringLiteral("unknown command %1").arg(name));
}
