#pragma once

#include "CliContext.h"

namespace dovrin::cli {

int runDisks(CliContext& context);
int runCatalogue(CliContext& context);
int runComment(CliContext& context);
int runComments(CliContext& context);
int runSearch(CliContext& context);

} // namespace dovrin::cli
