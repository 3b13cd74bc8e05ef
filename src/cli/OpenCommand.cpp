#include "CliSupport.h"
#include "Commands.h"
#include "RegisteredProgram.h"
#include "files/FileMessages.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <cstdio>

namespace dovrin::cli {

int runOpen(CliContext& context)
{
    StderrPrompt prompt;
    Database database(prompt);
    LocatedKey located;
    if (const int status = locateKey(context, 1, "open KEY", database, located))
        return status;
    if (located.key.endsWith(keys::kSeparator)) {
        std::fprintf(stderr, "dovrin-cli: open takes the key of a file\n");
        return kRefused;
    }
    if (!files::nativeFileExists(located.path.native)) {
        files::notFound(prompt, files::Purpose::Run);
        return kFailure;
    }
    const auto program = platform::RegisteredProgram::forFile(located.path.native);
    if (program.isNone() || !program.start(located.path.native)) {
        files::runFailed(prompt);
        return kFailure;
    }
    return kSuccess;
}

} // namespace dovrin::cli
