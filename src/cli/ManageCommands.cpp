#include "CliSupport.h"
#include "Commands.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "manage/CatalogueChanges.h"
#include "manage/DiskChanges.h"
#include "scan/DiskCataloguer.h"
#include "store/Database.h"
#include "store/RecordFiles.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace dovrin::cli {

namespace {

// The window's questions as dovrin-cli's arguments answer them: an input box gets the name
// given on the command line, a Yes/No question Yes only with --yes. Everything is also said
// on stderr.
class ArgumentPrompt final : public Prompt
{
public:
    explicit ArgumentPrompt(const QString& inputAnswer = {}, bool yes = false)
        : m_input(inputAnswer), m_yes(yes)
    {
    }
    PromptAnswer ask(const PromptRequest& request) override
    {
        if (m_yes && request.buttons == PromptButtons::YesNo)
            return PromptAnswer::Yes;
        return m_stderr.ask(request);
    }
    bool input(const QString&, const QString&, QString& text) override
    {
        text = m_input;
        return true;
    }

private:
    StderrPrompt m_stderr;
    QString m_input;
    bool m_yes;
};

int statusOf(ChangeOutcome outcome)
{
    switch (outcome) {
    case ChangeOutcome::Done:
        return kSuccess;
    case ChangeOutcome::Cancelled:
    case ChangeOutcome::Refused:
        return kRefused;
    case ChangeOutcome::Failed:
        return kFailure;
    }
    return kFailure;
}

int usage(const char* line)
{
    std::fprintf(stderr, "Usage: dovrin-cli [--database DIR] %s\n", line);
    return kRefused;
}

int refuse(const QString& why)
{
    std::fprintf(stderr, "dovrin-cli: %s\n", qPrintable(why));
    return kRefused;
}

// A shell user writes Holidays/Photos or ./Photos; names hold neither separator.
QString fromShell(QString argument)
{
    argument.replace(u'/', u'\\');
    while (argument.size() > 1 && argument.endsWith(u'\\'))
        argument.chop(1);
    return argument;
}

// The loaded disk that DISK names exactly, as its key; empty after saying there is none.
QString diskKeyOf(const Database& database, const QString& argument)
{
    const QString path = fromShell(argument);
    if (path.count(u'\\') == 1) {
        for (const DiskEntry& disk : database.disks()) {
            if (disk.path == path)
                return path + u'\\';
        }
    }
    refuse(QStringLiteral("there is no disk %1 (give it as CATALOGUE/NAME, or ./NAME for a disk "
                          "of <no catalogue>)")
               .arg(argument));
    return {};
}

// The catalogue folder NAME names exactly, as its key; empty after saying there is none.
QString catalogueKeyOf(const Database& database, const QString& argument)
{
    const QString name = fromShell(argument);
    if (catalogueNames(database.folder()).contains(name))
        return name + u'\\';
    refuse(QStringLiteral("there is no catalogue %1").arg(argument));
    return {};
}

// Opens the database and finds the catalogue or disk that `name` names, then runs the
// command on its key. A corrupt record met while loading is kept whatever the command's own
// answers are, so loading asks through a prompt of its own.
template <typename Run>
int onNamed(CliContext& context, QString (*keyOf)(const Database&, const QString&),
            const QString& name, Run run)
{
    StderrPrompt loading;
    Database database(loading);
    if (!openDatabase(context, database))
        return kFailure;
    const QString key = keyOf(database, name);
    if (key.isEmpty())
        return kRefused;
    return run(database, key);
}

int runCatalogues(CliContext& context)
{
    if (!context.args.isEmpty())
        return usage("catalogues");
    DatabaseFolder folder;
    if (!resolveDatabaseFolder(context, folder))
        return kFailure;
    QTextStream out(stdout);
    for (const QString& name : catalogueNames(folder))
        out << name << '\n';
    return kSuccess;
}

int runNewCatalogue(CliContext& context)
{
    if (context.args.size() != 1)
        return usage("new-catalogue NAME");
    ArgumentPrompt prompt(context.args.first());
    StderrPrompt loading; // a corrupt record is kept whatever the command's answers are
    Database database(loading);
    if (!openDatabase(context, database))
        return kFailure;
    if (context.args.first().trimmed().isEmpty())
        return refuse(QStringLiteral("the name is empty"));
    return statusOf(CatalogueChanges(database, prompt).create().outcome);
}

int runRenameCatalogue(CliContext& context)
{
    if (context.args.size() != 2)
        return usage("rename-catalogue OLD NEW");
    ArgumentPrompt prompt(context.args.at(1));
    return onNamed(context, catalogueKeyOf, context.args.first(),
                   [&](Database& database, const QString& key) {
                       if (context.args.at(1).trimmed().isEmpty())
                           return refuse(QStringLiteral("the new name is empty"));
                       return statusOf(CatalogueChanges(database, prompt).rename(key).outcome);
                   });
}

int runDeleteCatalogue(CliContext& context)
{
    if (context.args.size() != 1)
        return usage("delete-catalogue NAME");
    ArgumentPrompt prompt;
    return onNamed(context, catalogueKeyOf, context.args.first(),
                   [&](Database& database, const QString& key) {
                       return statusOf(CatalogueChanges(database, prompt).remove(key).outcome);
                   });
}

int runDeleteDisk(CliContext& context)
{
    QStringList args = context.args;
    const bool yes = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.size() != 1)
        return usage("delete-disk DISK --yes");
    ArgumentPrompt prompt({}, yes);
    return onNamed(context, diskKeyOf, args.first(), [&](Database& database, const QString& key) {
        return statusOf(DiskChanges(database, prompt).remove(key).outcome);
    });
}

int runRenameDisk(CliContext& context)
{
    if (context.args.size() != 2)
        return usage("rename-disk DISK NEW");
    ArgumentPrompt prompt(context.args.at(1));
    return onNamed(context, diskKeyOf, context.args.first(),
                   [&](Database& database, const QString& key) {
                       if (context.args.at(1).trimmed().isEmpty())
                           return refuse(QStringLiteral("the new name is empty"));
                       return statusOf(DiskChanges(database, prompt).rename(key).outcome);
                   });
}

int runMoveDisk(CliContext& context)
{
    if (context.args.size() != 2)
        return usage("move-disk DISK CATALOGUE");
    ArgumentPrompt prompt;
    return onNamed(
        context, diskKeyOf, context.args.first(), [&](Database& database, const QString& key) {
            // The catalogue is checked against what the window's chooser would offer.
            auto choose = [&](const QString& leaveOut) {
                const QStringList choices = catalogueChoices(database.folder(), leaveOut);
                if (choices.isEmpty()) {
                    prompt.error(
                        QStringLiteral("There are no catalogues - create a catalogue first"));
                    return QStringLiteral(":");
                }
                QString wanted = fromShell(context.args.at(1));
                if (wanted == u"." || wanted == u".\\")
                    wanted = QString::fromUtf16(kNoCatalogueText);
                if (choices.contains(wanted))
                    return targetOfChoice(wanted);
                const bool own = wanted == leaveOut ||
                                 (leaveOut == u"." && wanted == QStringView(kNoCatalogueText));
                refuse(own ? QStringLiteral("the disk %1 is already in %2")
                                 .arg(context.args.first(), context.args.at(1))
                           : QStringLiteral("there is no catalogue %1").arg(context.args.at(1)));
                return QStringLiteral(":");
            };
            return statusOf(DiskChanges(database, prompt).move(key, choose).outcome);
        });
}

// The update dialog's work: the recorded source, the same checks, backups, scan and purge of
// the comments whose files have gone.
int runUpdateDisk(CliContext& context)
{
    QStringList args = context.args;
    const bool fingerprint = args.removeAll(QStringLiteral("--fingerprint")) > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return usage("update-disk DISK [--fingerprint]");
    StderrPrompt prompt;
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;
    const QString key = diskKeyOf(database, args.first());
    if (key.isEmpty())
        return kRefused;
    const DiskEntry& disk = database.disks().at(database.findDisk(key));

    StderrPrompt quiet;
    Startup startup(quiet, programFolder());
    startup.peekSettings();
    CatalogueInput input;
    input.existingDisk = true;
    input.existingItem = listItemOfRecordPath(disk.path);
    input.sourcePath = disk.source;
    input.foldersOnly = disk.foldersOnly != 0 || startup.settings().treeOnly;
    input.attributeMask = startup.settings().attributeMask;
    // As in the update dialog: a disk that has fingerprints keeps them.
    input.fingerprint = fingerprint || startup.settings().fingerprint ||
                        QFile::exists(database.folder().recordFile(disk.path, kFingerprintSuffix));
    DiskCataloguer cataloguer(database, prompt);
    const std::optional<CataloguePlan> plan = cataloguer.check(input);
    if (!plan)
        return kRefused;
    TerminalProgress progress;
    const ScanOutcome outcome = cataloguer.run(*plan, progress);
    progress.finish();
    if (outcome == ScanOutcome::Cancelled)
        std::fprintf(stderr, "dovrin-cli: cancelled; the disk is as it was\n");
    return outcome == ScanOutcome::Complete ? kSuccess : kFailure;
}

const Command kManageCommands[] = {
    {"catalogues", "catalogues", "list the catalogues, one a line, in the folder's listing order",
     runCatalogues},
    {"new-catalogue", "new-catalogue NAME", "create the catalogue NAME", runNewCatalogue},
    {"rename-catalogue", "rename-catalogue OLD NEW",
     "rename a catalogue; its disks and their comments follow", runRenameCatalogue},
    {"delete-catalogue", "delete-catalogue NAME", "delete an empty catalogue", runDeleteCatalogue},
    {"delete-disk", "delete-disk DISK --yes", "delete a disk and its comments", runDeleteDisk},
    {"rename-disk", "rename-disk DISK NEW", "rename a disk within its catalogue", runRenameDisk},
    {"move-disk", "move-disk DISK CATALOGUE",
     "move a disk to another catalogue (. or \"<no catalogue>\" for none)", runMoveDisk},
    {"update-disk", "update-disk DISK [--fingerprint]",
     "catalogue a disk again from the folder it was taken from; with --fingerprint (or when it "
     "has fingerprints) read every file for its fingerprint",
     runUpdateDisk},
};

} // namespace

QString diskKeyArgument(const Database& database, const QString& argument)
{
    return diskKeyOf(database, argument);
}

std::span<const Command> manageCommands()
{
    return kManageCommands;
}

} // namespace dovrin::cli
