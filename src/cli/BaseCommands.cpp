#include "Commands.h"

namespace dovrin::cli {

namespace {

const Command kBaseCommands[] = {
    {"disks", "disks",
     "list the loaded disks: record path, source, free space, date, "
     "folders-only flag",
     runDisks},
    {"catalogue",
     "catalogue SOURCE NAME [--catalogue CAT] [--folders-only] [--attributes 0|2|4|6] "
     "[--overwrite] [--fingerprint]",
     "catalogue the folder SOURCE as the disk NAME", runCatalogue},
    {"comment", "comment KEY [TEXT]",
     "print the comment of KEY, or set it to TEXT (empty "
     "TEXT clears it)",
     runComment},
    {"comments", "comments [PREFIX]",
     "list the comments (key TAB comment), optionally only "
     "those whose key begins with PREFIX",
     runComments},
    {"search", "search MODE TEXT",
     "search every disk; MODE is name, ext, whole, start, all, comment, dir or disk", runSearch},
};

} // namespace

std::span<const Command> baseCommands()
{
    return kBaseCommands;
}

} // namespace dovrin::cli
