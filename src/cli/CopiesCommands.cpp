#include "CliSupport.h"
#include "Commands.h"
#include "RowPrinter.h"
#include "config/ProgramFolder.h"
#include "config/Startup.h"
#include "copies/CopiesEngine.h"
#include "copies/DiskVerifier.h"
#include "search/CommentLookup.h"
#include "store/Database.h"

#include <QTextStream>
#include <cstdio>

namespace dovrin::cli {

namespace {

using copies::Criterion;

// The exit status of `verify` when the disk differs from its catalogue.
constexpr int kDiffers = 3;

// The disk named on the command line: Holidays\Photos, Holidays/Photos, .\Photos or Photos
// (a disk of no catalogue). Its table index, or 0.
// The table index of the loaded disk DISK names, as the disk commands take it
// (CATALOGUE/NAME, ./NAME); 0 after saying there is none.
int diskOfArgument(const Database& database, const QString& argument)
{
    const QString key = diskKeyArgument(database, argument);
    return key.isEmpty() ? 0 : database.findDisk(key);
}

// [--same-date | --content] [--min-size BYTES], and the other arguments in `rest`.
bool parseQuery(const QStringList& args, copies::CopiesQuery& query, QStringList& rest)
{
    bool criterionGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--same-date") || a == QLatin1String("--content")) {
            if (criterionGiven)
                return false;
            criterionGiven = true;
            query.criterion =
                a == QLatin1String("--content") ? Criterion::Content : Criterion::NameSizeAndDate;
        } else if (a == QLatin1String("--min-size")) {
            if (++i == args.size())
                return false;
            bool ok = false;
            query.minimumSize = args.at(i).toLongLong(&ok);
            if (!ok || query.minimumSize < 0)
                return false;
        } else if (a.startsWith(QLatin1String("--"))) {
            return false;
        } else {
            rest.append(a);
        }
    }
    return true;
}

int usage(const char* text)
{
    std::fprintf(stderr, "usage: dovrin-cli [--database DIR] %s\n", text);
    return kRefused;
}

// Rows on stdout, a blank line between two groups of copies.
class GroupPrinter final : public copies::CopiesSink
{
public:
    GroupPrinter() = default;
    void clear() override {}
    void addRow(const search::SearchRow& row, int group) override
    {
        if (group != m_group && m_group >= 0)
            m_rows.printLine(QString());
        m_group = group;
        m_rows.addRow(row);
    }

private:
    DisplayFormat m_format;
    RowPrinter m_rows{m_format};
    int m_group = -1;
};

int findCopies(CliContext& context, const char* usageText, bool onlyOn)
{
    copies::CopiesQuery query;
    QStringList rest;
    if (!parseQuery(context.args, query, rest) || rest.size() != (onlyOn ? 1 : 0))
        return usage(usageText);
    StderrPrompt prompt;
    Database database(prompt);
    std::unique_ptr<search::CommentLookup> comments;
    if (!openDatabase(context, database, comments))
        return kFailure;
    if (onlyOn) {
        query.onlyOnDisk = diskOfArgument(database, rest.first());
        if (query.onlyOnDisk == 0)
            return kRefused;
    }
    copies::CopiesEngine engine(database.folder(), database.disks());
    engine.useComments(std::move(comments));
    TerminalProgress progress;
    copies::CopiesEngine::End end;
    {
        GroupPrinter printer;
        end = engine.run(query, printer, progress);
    }
    progress.finish();
    std::fprintf(stderr, "%s\n", qPrintable(engine.summaryText().trimmed()));
    return end == copies::CopiesEngine::End::Completed ? kSuccess : kFailure;
}

int runCopies(CliContext& context)
{
    return findCopies(context, "copies [--same-date | --content] [--min-size BYTES]", false);
}

int runOnlyOn(CliContext& context)
{
    return findCopies(context, "only-on DISK [--same-date | --content] [--min-size BYTES]", true);
}

// One line per difference: the kind, a tab, and the key (for a new file, its path).
class DifferencePrinter final : public copies::VerifySink
{
public:
    void addDifference(copies::Difference kind, const search::SearchRow& row,
                       const QString& realPath) override
    {
        m_out << copies::differenceName(kind) << '\t'
              << (kind == copies::Difference::New ? realPath : row.key) << '\n';
    }

private:
    QTextStream m_out{stdout};
};

int runVerify(CliContext& context)
{
    if (context.args.size() != 1 || context.args.first().startsWith(QLatin1String("--")))
        return usage("verify DISK");
    StderrPrompt prompt;
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;
    const int disk = diskOfArgument(database, context.args.first());
    if (disk == 0)
        return kRefused;
    StderrPrompt quiet;
    Startup startup(quiet, programFolder());
    startup.peekSettings();

    copies::DiskVerifier verifier(database.folder(), database.disks(), prompt);
    TerminalProgress progress;
    copies::VerifyResult result;
    {
        DifferencePrinter printer;
        result = verifier.run(disk, startup.settings().attributeMask, printer, progress);
    }
    progress.finish();
    std::fprintf(stderr, "%s\n", qPrintable(result.summaryText()));
    switch (result.end) {
    case copies::VerifyResult::End::Matches:
        return kSuccess;
    case copies::VerifyResult::End::Differs:
        return kDiffers;
    default:
        return kFailure;
    }
}

const Command kCopiesCommands[] = {
    {"copies", "copies [--same-date | --content] [--min-size BYTES]",
     "list the groups of copies on all disks, largest extra space first: same name and size, "
     "also same date, or same fingerprint",
     runCopies},
    {"only-on", "only-on DISK [--same-date | --content] [--min-size BYTES]",
     "list the files of DISK that have no copy on another disk", runOnlyOn},
    {"verify", "verify DISK",
     "compare the inserted disk with its catalogue: missing, new, changed, damaged and "
     "unreadable files; exit status 3 when it differs",
     runVerify},
};

} // namespace

std::span<const Command> copiesCommands()
{
    return kCopiesCommands;
}

} // namespace dovrin::cli
