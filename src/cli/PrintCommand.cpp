#include "CliSupport.h"
#include "Commands.h"
#include "PainterCanvas.h"
#include "PdfDocument.h"
#include "reports/CataloguePrintout.h"
#include "reports/SearchPrintout.h"
#include "search/SearchEngine.h"
#include "search/SearchTexts.h"
#include "search/TextMatcher.h"
#include "store/Database.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace dovrin::cli {

namespace {

using reports::CataloguePrintout;

int usage()
{
    std::fprintf(stderr, "dovrin-cli: usage: print list | tree DISK | contents DISK | "
                         "search MODE TEXT  --pdf FILE [--font-size N]\n");
    return kRefused;
}

// Takes "--name VALUE" out of the arguments; false when the option has no value.
bool takeOption(QStringList& args, const QString& name, QString& value)
{
    const qsizetype at = args.indexOf(name);
    if (at == -1)
        return true;
    if (at + 1 >= args.size())
        return false;
    value = args.at(at + 1);
    args.remove(at, 2);
    return true;
}

// The search's rows in the order found, for the printout.
class FoundRows final : public search::SearchSink, public reports::PrintedResults
{
public:
    explicit FoundRows(const DisplayFormat& format) : m_format(format) {}
    void clear() override { m_rows.clear(); }
    void addRow(const search::SearchRow& row) override { m_rows.push_back(row); }
    int count() const override { return int(m_rows.size()); }
    reports::PrintedResult at(int index) const override
    {
        return reports::printedResult(m_rows[size_t(index)], m_format);
    }

private:
    const DisplayFormat& m_format;
    std::vector<search::SearchRow> m_rows;
};

int printPdf(const QString& path, const std::function<bool(reports::PageCanvas&)>& draw)
{
    const auto writer =
        platform::openPdfDocument(path, QStringLiteral("Dovrin Catalogue Printout"));
    platform::PainterCanvas canvas(*writer);
    const bool drawn = !canvas.failed() && draw(canvas);
    if (!canvas.finish() || !drawn) {
        std::fprintf(stderr, "Error: Printing aborted due to unknown error\n");
        return kFailure;
    }
    return kSuccess;
}

int printSearch(const CliContext& context, const QStringList& args, const QString& pdf)
{
    search::SearchMode mode;
    if (args.size() < 2 || args.size() > 3 || !parseSearchMode(args.at(1), mode))
        return usage();
    const QString text = search::UpperCaser().upper(args.value(2));
    if (text.isEmpty() && mode != search::SearchMode::Everything) {
        std::fprintf(stderr, "%s\n", qPrintable(search::texts::kNoSearchText));
        return kRefused;
    }
    StderrPrompt prompt;
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;
    search::SearchEngine engine(database.folder(), database.disks());
    FoundRows rows(engine.format());
    TerminalProgress progress;
    const auto end = engine.run(mode, text, rows, progress);
    progress.finish();
    if (end != search::SearchEngine::End::Completed)
        return kFailure;
    const reports::SearchHeading heading{text, mode, {}};
    return printPdf(pdf, [&](reports::PageCanvas& canvas) {
        return reports::printSearchResults(canvas, heading, rows, engine.format());
    });
}

} // namespace

int runPrint(CliContext& context)
{
    QStringList args = context.args;
    QString pdf;
    QString size;
    if (!takeOption(args, QStringLiteral("--pdf"), pdf) ||
        !takeOption(args, QStringLiteral("--font-size"), size) || pdf.isEmpty() || args.isEmpty())
        return usage();
    const QString kind = args.first();
    if (kind == QLatin1String("search"))
        return size.isEmpty() ? printSearch(context, args, pdf) : usage();

    int bodySize = CataloguePrintout::kDefaultBodySize;
    if (!size.isEmpty()) {
        bodySize = size.toInt();
        if (!CataloguePrintout::bodySizes().contains(bodySize)) {
            std::fprintf(stderr, "dovrin-cli: the font size is one of 8, 10, 12, 14, 16, 18, 20, "
                                 "22, 24, 26, 28, 36, 48, 72\n");
            return kRefused;
        }
    }
    CataloguePrintout::Kind printout;
    if (kind == QLatin1String("list") && args.size() == 1)
        printout = CataloguePrintout::Kind::DiskList;
    else if (kind == QLatin1String("tree") && args.size() == 2)
        printout = CataloguePrintout::Kind::Tree;
    else if (kind == QLatin1String("contents") && args.size() == 2)
        printout = CataloguePrintout::Kind::Contents;
    else
        return usage();

    StderrPrompt prompt;
    Database database(prompt);
    if (!openDatabase(context, database))
        return kFailure;
    QString disk;
    if (printout != CataloguePrintout::Kind::DiskList) {
        const int index = database.findDisk(diskKeyArgument(database, args.at(1)));
        if (index == 0)
            return kRefused;
        const DiskEntry& entry = database.disks().at(index);
        if (printout == CataloguePrintout::Kind::Contents && entry.foldersOnly != 0) {
            std::fprintf(stderr, "dovrin-cli: %s was catalogued with folders only\n",
                         qPrintable(entry.path));
            return kRefused;
        }
        disk = entry.path;
    }
    const CataloguePrintout catalogue(database.folder(), database.disks());
    return printPdf(pdf, [&](reports::PageCanvas& canvas) {
        return catalogue.print(canvas, printout, disk, bodySize);
    });
}

} // namespace dovrin::cli
