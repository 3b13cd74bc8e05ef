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

bool openDatabase(const CliContext& context, Database& database)
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
    database.load(DatabaseFolder(folder));
    return true;
}

} // namespace dovrin::cli
