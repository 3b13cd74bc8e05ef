// The commands that need the desktop's libraries (Qt Gui to draw printouts, GIO to find the
// program registered for a file) run in dovrin-cli-desktop, the whole tool built with them.
// dovrin-cli hands it the command line as it came, so that the tool itself loads Qt Core only
// and starts in a few milliseconds, which scripts calling it for every file notice.
#include "Commands.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace dovrin::cli {

namespace {

// Where the helper lies: the same way from this program's folder as the two are installed.
QByteArray helperPath()
{
    const QByteArray self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe")).toLocal8Bit();
    return self.left(self.lastIndexOf('/') + 1) + DOVRIN_DESKTOP_HELPER;
}

int handOff(const CliContext& context)
{
    const QByteArray helper = helperPath();
    ::execv(helper.constData(), context.argv);
    std::fprintf(stderr, "dovrin-cli: cannot run %s: %s\n", helper.constData(),
                 std::strerror(errno));
    return kFailure;
}

} // namespace

int runPrint(CliContext& context)
{
    return handOff(context);
}

int runOpen(CliContext& context)
{
    return handOff(context);
}

} // namespace dovrin::cli
