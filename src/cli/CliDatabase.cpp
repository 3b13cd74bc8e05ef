#include "CliSupport.h"

#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "store/Database.h"

#include <cstdio>

namespace dovrin::cli {

// The tool reads Dovrin.cfg but never asks about it or rewrites it: a missing or corrupt file
// just means the program folder.
bool openDatabase(const CliContext& context, Database& database)
{
    const QString folder = programFolder();
    if (folder.isEmpty() && context.databaseOption.isEmpty()) {
        std::fprintf(stderr, "dovrin-cli: no program folder can be used\n");
        return false;
    }
    Startup startup(database.prompt(), folder);
    if (context.databaseOption.isEmpty()) {
        startup.peekSettings();
        startup.loadDatabase(database);
        return true;
    }
    if (!startup.loadChosenDatabase(database, context.databaseOption)) {
        std::fprintf(stderr, "dovrin-cli: cannot use %s as the database folder\n",
                     qPrintable(context.databaseOption));
        return false;
    }
    return true;
}

} // namespace dovrin::cli
