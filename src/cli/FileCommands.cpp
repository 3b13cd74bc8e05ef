#include "CliSupport.h"
#include "Commands.h"
#include "files/CopyItem.h"
#include "files/FileCopy.h"
#include "files/FileMessages.h"
#include "files/RealPath.h"
#include "store/Database.h"
#include "store/DatabaseFolder.h"
#include "store/Keys.h"

#include <cstdio>
#include <sys/stat.h>

namespace dovrin::cli {

namespace {

bool isFolder(const QByteArray& native)
{
    struct stat st
    {
    };
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int runPath(CliContext& context)
{
    StderrPrompt prompt;
    Database database(prompt);
    LocatedKey located;
    if (const int status = locateKey(context, 1, "path KEY", database, located))
        return status;
    const QByteArray out =
        located.path.native.isEmpty() ? located.path.text.toUtf8() : located.path.native;
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fputc('\n', stdout);
    return kSuccess;
}

int runCopy(CliContext& context)
{
    StderrPrompt prompt;
    Database database(prompt);
    LocatedKey located;
    if (const int status = locateKey(context, 2, "copy KEY FOLDER", database, located))
        return status;
    const QString target = normalizedFolder(context.args.at(1));
    const QString name = keys::lastName(located.key);
    QByteArray source = located.path.native;
    if (located.key.endsWith(keys::kSeparator) || isFolder(source)) {
        // Unlike the window, the tool waits, so a script can use the copy at once.
        if (source.endsWith('/'))
            source.chop(1);
        if (isFolder(source) && files::copyFolder(source, (target + name).toUtf8()))
            return kSuccess;
        std::fprintf(stderr, "dovrin-cli: could not copy the folder %s\n",
                     qPrintable(located.path.text));
        return kFailure;
    }
    switch (files::copyTo(prompt, located.path, false, target, name)) {
    case files::CopyResult::Copied:
    case files::CopyResult::FolderStarted:
        return kSuccess;
    case files::CopyResult::SameFile:
        return kRefused;
    case files::CopyResult::NotFound:
    case files::CopyResult::Failed:
        break;
    }
    return kFailure;
}

const Command kFileCommands[] = {
    {"path", "path KEY", "print where a catalogued file or folder lies on the real disk", runPath},
    {"open", "open KEY", "start a catalogued file with the program registered for it, as Run does",
     runOpen},
    {"copy", "copy KEY FOLDER",
     "copy a catalogued file, or a folder with everything in it, from the real disk into FOLDER",
     runCopy},
};

} // namespace

std::span<const Command> fileCommands()
{
    return kFileCommands;
}

} // namespace dovrin::cli
