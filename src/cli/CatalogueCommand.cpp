#include "CliSupport.h"
#include "Commands.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "scan/DiskCataloguer.h"
#include "store/Database.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace dovrin::cli {

namespace {

// The stderr prompt, except that with --overwrite the question about replacing a disk of the
// same name is answered Yes.
class CataloguePrompt final : public Prompt
{
public:
    explicit CataloguePrompt(bool overwrite) : m_overwrite(overwrite) {}
    PromptAnswer ask(const PromptRequest& request) override
    {
        if (m_overwrite && request.buttons == PromptButtons::YesNo)
            return PromptAnswer::Yes;
        return m_stderr.ask(request);
    }

private:
    StderrPrompt m_stderr;
    bool m_overwrite;
};

struct CatalogueArguments
{
    QString source;
    QString name;
    QString catalogue = QStringLiteral("<no catalogue>");
    bool foldersOnly = false;
    int attributeMask = -1; // the settings' AttributeMask unless given
    bool overwrite = false;
    bool fingerprint = false;
};

bool parse(const QStringList& args, CatalogueArguments& out)
{
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--folders-only")) {
            out.foldersOnly = true;
        } else if (a == QLatin1String("--overwrite")) {
            out.overwrite = true;
        } else if (a == QLatin1String("--fingerprint")) {
            out.fingerprint = true;
        } else if (a == QLatin1String("--catalogue") && i + 1 < args.size()) {
            out.catalogue = args.at(++i);
        } else if (a == QLatin1String("--attributes") && i + 1 < args.size()) {
            const QString mask = args.at(++i);
            if (mask != QLatin1String("0") && mask != QLatin1String("2") &&
                mask != QLatin1String("4") && mask != QLatin1String("6"))
                return false;
            out.attributeMask = mask.toInt();
        } else if (a.startsWith(QLatin1String("--")) && a != QLatin1String("--")) {
            return false;
        } else {
            positional.append(a);
        }
    }
    if (positional.size() != 2)
        return false;
    out.source = positional.at(0);
    out.name = positional.at(1);
    return true;
}

} // namespace

int runCatalogue(CliContext& context)
{
    CatalogueArguments args;
    if (!parse(context.args, args)) {
        std::fprintf(stderr, "usage: dovrin-cli [--database DIR] catalogue SOURCE NAME "
                             "[--catalogue CAT] [--folders-only] [--attributes 0|2|4|6] "
                             "[--overwrite] [--fingerprint]\n");
        return kRefused;
    }

    CataloguePrompt prompt(args.overwrite);
    if (args.attributeMask < 0) {
        StderrPrompt quiet;
        Startup startup(quiet, programFolder());
        startup.peekSettings();
        args.attributeMask = startup.settings().attributeMask;
    }
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;

    if (args.catalogue != QLatin1String("<no catalogue>")) {
        const QFileInfo folder(database.folder().root() + args.catalogue);
        if (args.catalogue.contains(u'/') || !folder.isDir()) {
            std::fprintf(stderr, "dovrin-cli: there is no catalogue %s\n",
                         qPrintable(args.catalogue));
            return kRefused;
        }
    }

    CatalogueInput input;
    input.sourcePath = args.source;
    input.diskName = args.name;
    input.catalogue = args.catalogue;
    input.foldersOnly = args.foldersOnly;
    input.attributeMask = args.attributeMask;
    input.fingerprint = args.fingerprint;
    DiskCataloguer cataloguer(database, prompt);
    const std::optional<CataloguePlan> plan = cataloguer.check(input);
    if (!plan)
        return kRefused;

    TerminalProgress progress;
    const ScanOutcome outcome = cataloguer.run(*plan, progress);
    progress.finish();
    switch (outcome) {
    case ScanOutcome::Complete:
        return kSuccess;
    case ScanOutcome::Cancelled:
        std::fprintf(stderr, "dovrin-cli: cancelled; the disk was not catalogued\n");
        return kFailure;
    case ScanOutcome::Failed:
        return kFailure;
    }
    return kFailure;
}

} // namespace dovrin::cli
