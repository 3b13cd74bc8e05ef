#include "PrinterChooser.h"

#include <QPrintDialog>
#include <QPrinter>
#include <optional>

namespace dovrin::platform {

namespace {

std::optional<QString>& nextPdfFile()
{
    static std::optional<QString> path;
    return path;
}

} // namespace

std::unique_ptr<QPrinter> PrinterChooser::choose(QWidget* owner)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("Dovrin Catalogue Printout"));
    if (std::optional<QString>& next = nextPdfFile()) {
        const QString path = *next;
        next.reset();
        if (path.isEmpty())
            return nullptr;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        return printer;
    }
    QPrintDialog dialog(printer.get(), owner);
    // The printouts are drawn whole: there is no page range or selection to honour.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

void PrinterChooser::setNextPdfFile(const QString& path)
{
    nextPdfFile() = path;
}

void PrinterChooser::resetTestHooks()
{
    nextPdfFile().reset();
}

} // namespace dovrin::platform
