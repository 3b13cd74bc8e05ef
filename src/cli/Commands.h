#pragma once

#include "CliContext.h"

#include <span>

namespace dovrin::cli {

// Each group of commands has its table beside its code; main() lists the groups.
// Browsing and cataloguing: disks, catalogue, comment, comments, search.
std::span<const Command> baseCommands();
// Managing catalogues and disks: DISK is a record path, with / or \ (Holidays/Photos,
// ./Photos).
std::span<const Command> manageCommands();
// The real disk: path, open, copy.
std::span<const Command> fileCommands();

int runDisks(CliContext& context);
int runCatalogue(CliContext& context);
int runComment(CliContext& context);
int runComments(CliContext& context);
int runSearch(CliContext& context);

} // namespace dovrin::cli
