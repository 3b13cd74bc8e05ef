#pragma once

#include "CliContext.h"
#include "search/SearchMode.h"

#include <span>

namespace dovrin {
class Database;
}

namespace dovrin::cli {

// Each group of commands has its table beside its code; main() lists the groups.
// Browsing and cataloguing: disks, catalogue, comment, comments, search.
std::span<const Command> baseCommands();
// Managing catalogues and disks: DISK is a record path, with / or \ (Holidays/Photos,
// ./Photos).
std::span<const Command> manageCommands();
// The key of the loaded disk that a DISK argument names; empty after saying there is none.
QString diskKeyArgument(const Database& database, const QString& argument);
// The real disk: path, open, copy.
std::span<const Command> fileCommands();
int runOpen(CliContext& context);
// Copies across disks, and a disk checked against its catalogue: copies, only-on, verify.
std::span<const Command> copiesCommands();

int runDisks(CliContext& context);
int runCatalogue(CliContext& context);
int runComment(CliContext& context);
int runComments(CliContext& context);
int runSearch(CliContext& context);
// The search modes by their names: name, ext, whole, start, all, comment, dir, disk.
bool parseSearchMode(const QString& name, search::SearchMode& mode);

// Reports: export (text listings) and print (printouts into PDF files).
std::span<const Command> reportCommands();

int runExport(CliContext& context);
int runPrint(CliContext& context);

} // namespace dovrin::cli
