#include "Commands.h"

namespace dovrin::cli {

namespace {

const Command kReportCommands[] = {
    {"export", "export DISK FOLDER | export --all FOLDER [--overwrite]",
     "write the text listing of the disk DISK (its record path), or of every disk, into "
     "FOLDER; an existing listing is kept unless --overwrite is given (exit 2 when the one "
     "listing asked for was kept)",
     runExport},
    {"print",
     "print list | tree DISK | contents DISK | search MODE TEXT  --pdf FILE [--font-size N]",
     "print the list of disks, a disk's folder tree, a disk's contents or the results of a "
     "search into the PDF file FILE; --font-size (8, 10, 12, ... 72; default 12) sets the body "
     "of the first three",
     runPrint, true},
};

} // namespace

std::span<const Command> reportCommands()
{
    return kReportCommands;
}

} // namespace dovrin::cli
