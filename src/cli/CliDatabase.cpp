#include "CliSupport.h"

#include "config/ProgramFolder.h"
#include "store/Database.h"

#include <QFileInfo>
#include <cstdio>

namespace dovrin::cli {

namespace {

// A folder the loader can list.
bool usableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

bool resolveDatabaseFolder(const CliContext& context, DatabaseFolder& databaseFolder)
{
    QString folder = context.databaseOption;
    if (folder.isEmpty()) {
        folder = programFolder();
        if (folder.isEmpty()) {
            std::fprintf(stderr, "dovrin-cli: no program folder can be used\n");
            return false;
        }
    }
    if (!usableFolder(folder)) {
        std::fprintf(stderr, "dovrin-cli: %s is not a folder that can be read\n",
                     qPrintable(folder));
        return false;
    }
    databaseFolder = DatabaseFolder(folder);
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

} // namespace dovrin::cli
