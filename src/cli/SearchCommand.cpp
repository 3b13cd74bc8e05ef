#include "CliSupport.h"
#include "Commands.h"
#include "RowPrinter.h"
#include "search/CommentLookup.h"
#include "search/SearchEngine.h"
#include "search/SearchTexts.h"
#include "store/Database.h"

#include <cstdio>

namespace dovrin::cli {

namespace {

using search::SearchMode;

bool parseMode(const QString& name, SearchMode& mode)
{
    static const struct
    {
        const char* name;
        SearchMode mode;
    } kModes[] = {
        {"name", SearchMode::Name},      {"ext", SearchMode::Extension},
        {"whole", SearchMode::Whole},    {"start", SearchMode::Start},
        {"all", SearchMode::Everything}, {"comment", SearchMode::Comments},
        {"dir", SearchMode::Folder},     {"disk", SearchMode::DiskName},
    };
    for (const auto& m : kModes) {
        if (name == QLatin1String(m.name)) {
            mode = m.mode;
            return true;
        }
    }
    return false;
}

// Forwards to the terminal and keeps the last status text.
class StatusKeeper final : public Progress
{
public:
    void setStatus(int line, const QString& text) override
    {
        if (line == 0)
            last = text;
        m_terminal.setStatus(line, text);
    }
    void setValue(int value) override { m_terminal.setValue(value); }
    bool yield() override { return m_terminal.yield(); }
    bool yieldMany(int count) override { return m_terminal.yieldMany(count); }
    bool stopRequested() const override { return m_terminal.stopRequested(); }
    void requestStop() override { m_terminal.requestStop(); }
    void finish() { m_terminal.finish(); }

    QString last;

private:
    TerminalProgress m_terminal;
};

} // namespace

bool parseSearchMode(const QString& name, search::SearchMode& mode)
{
    return parseMode(name, mode);
}

// Prints every result row (key, Name, In Folder, Size, Modified, File comments), then the
// status text the search ends with.
int runSearch(CliContext& context)
{
    SearchMode mode;
    if (context.args.isEmpty() || context.args.size() > 2 ||
        !parseMode(context.args.first(), mode)) {
        std::fprintf(stderr, "dovrin-cli: usage: search name|ext|whole|start|all|comment|dir|disk "
                             "TEXT\n");
        return kRefused;
    }
    const QString text = context.args.value(1);
    if (text.isEmpty() && mode != SearchMode::Everything) {
        std::fprintf(stderr, "%s\n", qPrintable(search::texts::kNoSearchText));
        return kRefused;
    }

    StderrPrompt prompt;
    Database database(prompt);
    std::unique_ptr<search::CommentLookup> comments;
    if (!openDatabase(context, database, comments))
        return kFailure;

    search::SearchEngine engine(database.folder(), database.disks());
    engine.useComments(std::move(comments));
    RowPrinter printer(engine.format());
    StatusKeeper progress;
    const auto end = engine.run(mode, text, printer, progress);
    progress.finish();
    printer.printLine(progress.last);
    return end == search::SearchEngine::End::Completed ? kSuccess : kFailure;
}

} // namespace dovrin::cli
