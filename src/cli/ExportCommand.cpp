#include "CliSupport.h"
#include "Commands.h"
#include "reports/TextExport.h"
#include "store/Database.h"

#include <cstdio>

namespace dovrin::cli {

namespace {

// With --overwrite the question about an existing listing is answered Yes, silently.
class OverwritingPrompt final : public Prompt
{
public:
    PromptAnswer ask(const PromptRequest& request) override
    {
        if (request.buttons == PromptButtons::YesNo)
            return PromptAnswer::Yes;
        return m_stderr.ask(request);
    }

private:
    StderrPrompt m_stderr;
};

int usage()
{
    std::fprintf(stderr, "dovrin-cli: usage: export DISK FOLDER [--overwrite], or "
                         "export --all FOLDER [--overwrite]\n");
    return kRefused;
}

} // namespace

int runExport(CliContext& context)
{
    QStringList args = context.args;
    const bool all = args.removeAll(QStringLiteral("--all")) > 0;
    const bool overwrite = args.removeAll(QStringLiteral("--overwrite")) > 0;
    if (args.size() != (all ? 1 : 2) || args.first().startsWith(QLatin1String("--")))
        return usage();
    const QString target = normalizedFolder(args.last());
    if (!isUsableFolder(target)) {
        std::fprintf(stderr, "dovrin-cli: cannot use %s as the target folder\n",
                     qPrintable(args.last()));
        return kRefused;
    }

    StderrPrompt loadPrompt;
    Database database(loadPrompt);
    if (!openDatabase(context, database))
        return kFailure;
    OverwritingPrompt overwriting;
    StderrPrompt asking;
    reports::TextExport listings(database.folder(), database.disks(),
                                 overwrite ? static_cast<Prompt&>(overwriting) : asking);
    if (all)
        return listings.exportAll(target).failed > 0 ? kFailure : kSuccess;

    const QString disk = diskKeyArgument(database, args.first());
    if (disk.isEmpty())
        return kRefused;
    switch (listings.exportDisk(disk, target)) {
    case reports::TextExport::Result::Written:
        return kSuccess;
    case reports::TextExport::Result::Kept:
        return kRefused;
    case reports::TextExport::Result::Failed:
        break;
    }
    return kFailure;
}

} // namespace dovrin::cli
