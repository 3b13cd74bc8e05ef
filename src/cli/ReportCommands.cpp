#include "Commands.h"

namespace dovrin::cli {

namespace {

// Usage lines name each argument's kind for --help, the manual page and the bash completion.
const Command kReportCommands[] = {
    {"export", "export DISK FOLDER [--overwrite] [--all]",
     "write the text listing of DISK, or with --all (no DISK) of every disk, into FOLDER; a "
     "listing already there is kept unless --overwrite",
     runExport},
    {"print", "print KIND [DISK] --pdf FILE [--font-size N]",
     "print into the PDF file FILE; KIND is list, tree, contents or search (tree and contents "
     "take a DISK, search takes MODE TEXT); N is 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, "
     "48 or 72",
     runPrint, true},
};

} // namespace

std::span<const Command> reportCommands()
{
    return kReportCommands;
}

} // namespace dovrin::cli
