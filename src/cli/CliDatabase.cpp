#include "CliSupport.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "manage/ChangeJournal.h"
#include "search/CommentLookup.h"
#include "store/Database.h"
#include "store/DatabaseFolder.h"
#include "store/Keys.h"

#include <cstdio>
#include <future>

namespace dovrin::cli {

namespace {

// --database DIR is taken from the current folder, as any command-line path is. Without it,
// the folder is chosen as the program chooses it at start-up. The tool reads Dovrin.cfg but
// never asks about it or rewrites it: a missing or corrupt file just means the program folder.
bool chooseDatabaseFolder(const CliContext& context, DatabaseFolder& databaseFolder)
{
    if (!context.databaseOption.isEmpty()) {
        const QString folder = normalizedFolder(context.databaseOption);
        if (!isUsableFolder(folder)) {
            std::fprintf(stderr, "dovrin-cli: cannot use %s as the database folder\n",
                         qPrintable(context.databaseOption));
            return false;
        }
        databaseFolder = DatabaseFolder(folder);
        return true;
    }
    const QString programFolder = dovrin::programFolder();
    if (programFolder.isEmpty()) {
        std::fprintf(stderr, "dovrin-cli: no program folder can be used\n");
        return false;
    }
    StderrPrompt prompt;
    Startup startup(prompt, programFolder);
    startup.peekSettings();
    databaseFolder = DatabaseFolder(startup.chooseDatabaseFolder());
    return true;
}

} // namespace

bool resolveDatabaseFolder(const CliContext& context, DatabaseFolder& databaseFolder)
{
    if (!chooseDatabaseFolder(context, databaseFolder))
        return false;
    // Every command reads a settled database: a change that a killed process left half done
    // is finished or undone first.
    StderrPrompt prompt;
    settlePendingChange(databaseFolder, prompt);
    return true;
}

bool openDatabase(const CliContext& context, Database& database)
{
    DatabaseFolder folder;
    if (!resolveDatabaseFolder(context, folder))
        return false;
    database.load(folder);
    return true;
}

bool openDatabase(const CliContext& context, Database& database,
                  std::unique_ptr<search::CommentLookup>& comments)
{
    DatabaseFolder folder;
    if (!resolveDatabaseFolder(context, folder))
        return false;
    auto reading = std::async(std::launch::async,
                              [folder] { return std::make_unique<search::CommentLookup>(folder); });
    database.load(folder);
    comments = reading.get();
    return true;
}

int locateKey(CliContext& context, qsizetype argumentCount, const char* usage, Database& database,
              LocatedKey& located)
{
    if (context.args.size() != argumentCount) {
        std::fprintf(stderr, "Usage: dovrin-cli [--database DIR] %s\n", usage);
        return kRefused;
    }
    if (!openDatabase(context, database))
        return kFailure;
    located.key = context.args.first();
    located.key.replace(u'/', keys::kSeparator);
    if (keys::disk(located.key).isEmpty() || database.findDisk(located.key) == 0) {
        std::fprintf(stderr, "dovrin-cli: no loaded disk holds %s\n", qPrintable(located.key));
        return kRefused;
    }
    located.path = files::realPath(database.disks(), located.key);
    return kSuccess;
}

} // namespace dovrin::cli
