#include "CliSupport.h"
#include "Commands.h"
#include "store/Database.h"

#include <QTextStream>
#include <cstdio>

namespace dovrin::cli {

// One line per loaded disk in load order: record path, source, free space, date, flag.
int runDisks(CliContext& context)
{
    if (!context.args.isEmpty()) {
        std::fprintf(stderr, "dovrin-cli: disks takes no arguments\n");
        return kRefused;
    }
    StderrPrompt prompt;
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;

    QTextStream out(stdout);
    for (const DiskEntry& disk : database.disks()) {
        out << disk.path << '\t' << disk.source << '\t' << disk.freeSpace << '\t' << disk.date
            << '\t' << disk.foldersOnly << '\n';
    }
    return kSuccess;
}

} // namespace dovrin::cli
