#include "Commands.h"

#include <cstdio>

namespace dovrin::cli {

int runSearch(CliContext&)
{
    std::fprintf(stderr, "dovrin-cli: search is not available yet\n");
    return kFailure;
}

} // namespace dovrin::cli
