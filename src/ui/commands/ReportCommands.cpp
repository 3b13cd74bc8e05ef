#include "BusyCursor.h"
#include "Commands.h"
#include "FolderChooser.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "reports/FormPrint.h"
#include "reports/TextExport.h"
#include "store/Database.h"
#include "store/DatabaseView.h"

namespace dovrin::ui {

namespace {

// The main window's status text is put back once the export is done.
class KeptStatus
{
public:
    explicit KeptStatus(MainWindow& window) : m_window(window), m_text(window.statusText(1)) {}
    ~KeptStatus() { m_window.setStatusText(m_text); }

private:
    MainWindow& m_window;
    QString m_text;
};

void exportSelectedDisk(CommandContext& context)
{
    CatalogueTree* tree = context.window.tree();
    const QString tag = tree->selectedTag();
    if (tag != tags::kDisk && tag != tags::kDiskRead && tag != tags::kFolder)
        return;
    const QString key = tree->selectedKey();
    const QString target = platform::FolderChooser::browseForFolder(&context.window);
    if (target.isEmpty())
        return;
    KeptStatus status(context.window);
    context.window.setStatusText(QStringLiteral("Working..."));
    platform::BusyCursor busy;
    reports::TextExport(context.database.folder(), context.database.disks(), context.prompt)
        .exportDisk(key, target);
}

void exportAllDisks(CommandContext& context)
{
    const QString target = platform::FolderChooser::browseForFolder(&context.window);
    if (target.isEmpty())
        return;
    KeptStatus status(context.window);
    platform::BusyCursor busy;
    reports::TextExport(context.database.folder(), context.database.disks(), context.prompt)
        .exportAll(target);
}

void showPrintDialog(CommandContext& context)
{
    FormPrint dialog(context.database, context.prompt, &context.window, &context.window);
    dialog.exec();
}

} // namespace

// Reports: printouts and text listings.
void installReportCommands(CommandContext& context)
{
    context.window.setCommand(QStringLiteral("mnuPrint"), [&] { showPrintDialog(context); });
    context.window.setCommand(QStringLiteral("mnuTextAll"), [&] { exportAllDisks(context); });
    context.window.setCommand(QStringLiteral("mnuTextFile"), [&] { exportSelectedDisk(context); });
}

} // namespace dovrin::ui
