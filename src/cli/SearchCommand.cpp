#include "CliSupport.h"
#include "Commands.h"
#include "search/ResultRows.h"
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

// Prints each row as one tab-separated line, in large blocks.
class RowPrinter final : public search::SearchSink
{
public:
    explicit RowPrinter(const DisplayFormat& format) : m_format(format)
    {
        m_buffer.reserve(kFlushAt + 4096);
    }
    ~RowPrinter() override { flush(); }

    void clear() override {}

    void addRow(const search::SearchRow& row) override
    {
        append(row.key);
        m_buffer.append('\t');
        append(row.name);
        m_buffer.append('\t');
        append(row.inFolder);
        m_buffer.append('\t');
        if (row.hasSize)
            append(m_format.size(row.size));
        m_buffer.append('\t');
        if (row.hasModified)
            append(m_format.dateTime(row.modified));
        m_buffer.append('\t');
        append(row.comment);
        m_buffer.append('\n');
        if (m_buffer.size() >= kFlushAt)
            flush();
    }

    // The same lines, read from the compact rows without making a row of each.
    void addRows(const search::ResultRows& rows, size_t first, size_t count) override
    {
        for (size_t i = first; i < first + count; ++i) {
            append(rows.key(i));
            m_buffer.append('\t');
            append(rows.name(i));
            m_buffer.append('\t');
            append(rows.inFolder(i));
            m_buffer.append('\t');
            if (rows.hasSize(i))
                append(m_format.size(rows.size(i)));
            m_buffer.append('\t');
            if (rows.hasModified(i))
                append(m_format.dateTime(rows.modified(i)));
            m_buffer.append('\t');
            append(rows.comment(i));
            m_buffer.append('\n');
            if (m_buffer.size() >= kFlushAt)
                flush();
        }
    }

    void printLine(const QString& text)
    {
        append(text);
        m_buffer.append('\n');
        flush();
    }

    void flush()
    {
        if (!m_buffer.isEmpty())
            std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), stdout);
        m_buffer.truncate(0);
        std::fflush(stdout);
    }

private:
    static constexpr qsizetype kFlushAt = 1 << 20;

    void append(QStringView text)
    {
        // ASCII (most keys and names) is copied without a conversion object.
        const qsizetype n = text.size();
        const QChar* chars = text.constData();
        qsizetype i = 0;
        while (i < n && chars[i].unicode() < 0x80)
            ++i;
        if (i == n) {
            const qsizetype start = m_buffer.size();
            m_buffer.resize(start + n);
            char* out = m_buffer.data() + start;
            for (qsizetype k = 0; k < n; ++k)
                out[k] = char(chars[k].unicode());
        } else {
            m_buffer.append(text.toUtf8());
        }
    }

    const DisplayFormat& m_format;
    QByteArray m_buffer;
};

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
    if (!openDatabase(context, database))
        return kFailure;

    search::SearchEngine engine(database.folder(), database.disks());
    RowPrinter printer(engine.format());
    StatusKeeper progress;
    const auto end = engine.run(mode, text, printer, progress);
    progress.finish();
    printer.printLine(progress.last);
    return end == search::SearchEngine::End::Completed ? kSuccess : kFailure;
}

} // namespace dovrin::cli
