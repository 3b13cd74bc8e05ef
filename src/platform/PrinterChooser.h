#pragma once

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace dovrin::platform {

// The system print dialog: CUPS printers and printing into a PDF file.
class PrinterChooser
{
public:
    // The printer the user chose, set up for drawing; null when the dialog was cancelled.
    static std::unique_ptr<QPrinter> choose(QWidget* owner);

    // Test hook: the next call returns a printer that writes this PDF file, without showing
    // the dialog. An empty path stands for a cancelled dialog.
    static void setNextPdfFile(const QString& path);
    static void resetTestHooks();
};

} // namespace dovrin::platform
