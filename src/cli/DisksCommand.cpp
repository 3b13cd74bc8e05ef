#include "Commands.h"

#include <cstdio>

namespace dovrin::cli {

int runDisks(CliContext&)
{
    std::fprintf(stderr, "dovrin-cli: disks is not available yet\n");
    return kFailure;
}

} // namespace dovrin::cli
