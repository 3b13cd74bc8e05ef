#include "Commands.h"

#include <cstdio>

namespace dovrin::cli {

int runComment(CliContext&)
{
    std::fprintf(stderr, "dovrin-cli: comment is not available yet\n");
    return kFailure;
}

} // namespace dovrin::cli
