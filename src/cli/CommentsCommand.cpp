#include "Commands.h"

#include <cstdio>

namespace dovrin::cli {

int runComments(CliContext&)
{
    std::fprintf(stderr, "dovrin-cli: comments is not available yet\n");
    return kFailure;
}

} // namespace dovrin::cli
