#include "Commands.h"

namespace dovrin::cli {

namespace {

// Usage lines name each argument's kind for --help, the manual page and the bash completion.
const Command kReportCommands[] = {
    {"export", "export DISK FOLDER [--overwrite] [--all]",
     "write the text listing of the disk DISK, or with --all and no DISK of every disk, into "
     "FOLDER; a listing already there is kept unless --overwrite is given (exit 2 when the "
     "one listing asked for was kept)",
     runExport},
    {"print", "print KIND [DISK] --pdf FILE [--font-size N]",
     "make a printout into the PDF file FILE; KIND is list, tree, contents or search; tree "
     "and contents print the disk DISK, search takes MODE TEXT as the search command does; "
     "N is 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48 or 72 (default 12; not for search)",
     runPrint, true},
};

} // namespace

std::span<const Command> reportCommands()
{
    return kReportCommands;
}

} // namespace dovrin::cli
