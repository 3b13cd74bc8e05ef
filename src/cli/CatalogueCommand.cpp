#include "Commands.h"

#include <cstdio>

namespace dovrin::cli {

int runCatalogue(CliContext&)
{
    std::fprintf(stderr, "dovrin-cli: catalogue is not available yet\n");
    return kFailure;
}

} // namespace dovrin::cli
