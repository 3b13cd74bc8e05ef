#include "BuildInfo.h"
#include "Commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#if defined(DOVRIN_CLI_DESKTOP)
#include <QGuiApplication>
#endif
#include <cstdio>
#include <memory>

using namespace dovrin::cli;

namespace {

// The groups of commands, in the order --help lists them.
const std::span<const Command> kGroups[] = {
    baseCommands(), manageCommands(), fileCommands(), reportCommands(), copiesCommands(),
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
    out << "\nExit status: 0 on success, 2 for refused input, 1 for other failures; verify: 3 "
           "when the disk differs from its catalogue.\n";
    return text;
}

int refuse(const QString& message)
{
    QTextStream(stderr) << "dovrin-cli: " << message << "\nTry 'dovrin-cli --help'.\n";
    return kRefused;
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

#if defined(DOVRIN_CLI_DESKTOP)
// Whether the command draws printouts, known before the application exists: its name is the
// first argument that is neither an option nor the value of --database.
bool drawsPrintouts(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--database") {
            ++i;
            continue;
        }
        if (arg.startsWith('-'))
            continue;
        const Command* command = findCommand(QString::fromLocal8Bit(argv[i]));
        return command && command->paints;
    }
    return false;
}

// Drawing text needs the GUI application; the offscreen platform gives it fonts without a
// display. Every other command starts without it.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    if (!drawsPrintouts(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}
#else
// The commands that draw are handed on whole to the desktop build of the tool.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    return std::make_unique<QCoreApplication>(argc, argv);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
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

    if (!parser.parse(app->arguments()))
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
    context.argv = argv;
    const QString name = args.takeFirst();
    context.args = args;
    if (const Command* command = findCommand(name))
        return command->run(context);
    return refuse(QStringLiteral("unknown command %1").arg(name));
}
