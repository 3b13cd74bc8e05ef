#include "DataTable.h"
#include "FolderChooser.h"
#include "MainWindowRig.h"
#include "PdfText.h"
#include "PrinterChooser.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "mainwindow/CatalogueTree.h"
#include "reports/FormPrint.h"
#include "reports/PrintJob.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using namespace Qt::StringLiterals;
using platform::PrinterChooser;
using test::PdfWord;
using ui::FormPrint;
using ui::SearchResultsModel;
using ui::SearchWindow;

// The report commands as the windows run them, on the reports fixture, printing into PDF
// files through the print dialog's test hook.
class TestReportCommands : public QObject
{
    Q_OBJECT

private:
    template <typename T> T* child(QWidget& window, const QString& name)
    {
        return window.findChild<T*>(name);
    }

    QString pdfText(const QString& path)
    {
        QStringList texts;
        for (const PdfWord& word : test::pdfWords(path))
            texts << word.text;
        return texts.join(u' ');
    }

    QTemporaryDir m_db;
    QTemporaryDir m_out;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Database> m_database;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        test::copyFixture(QStringLiteral("reports/db"), m_db.path());
        m_database = std::make_unique<Database>(m_prompt);
        m_database->load(DatabaseFolder(m_db.path()));
        QCOMPARE(m_database->disks().count(), 3);
    }

    void cleanup()
    {
        PrinterChooser::resetTestHooks();
        platform::FolderChooser::resetTestHooks();
        m_prompt.clear();
    }

    void printDialogButtons_data()
    {
        // list: the disk list an item is chosen in, or none; chosen: "c" when the print dialog
        // gives a printer; printed: the printout's heading, empty for nothing; open: "o" when the
        // dialog stays open. Chosen and nothing printed is "You must select a disk.".
        for (const char* column : {"option", "list", "button", "chosen", "printed", "open"})
            QTest::addColumn<QString>(column);
        test::addTextRows({
            "ok without a tree disk|optPrintTree||cmdOk|c||o",
            "just print without a contents disk|optPrintFiles||cmdJustPrint|c||o",
            "ok prints the list and closes|optPrintList||cmdOk|c|List of disks catalogued|",
            "choosing a disk selects its option; just print stays open|optPrintList|comDiskList2|"
            "cmdJustPrint|c|Disk: .\\Photos|o",
            "cancelled print dialog, ok still closes|optPrintList||cmdOk|||",
        });
    }

    void printDialogButtons()
    {
        auto [option, list, button, chosen, printed, open] =
            test::fetch<QString, QString, QString, QString, QString, QString>(
                "option", "list", "button", "chosen", "printed", "open");
        const bool printerChosen = chosen == u"c";
        FormPrint dialog(*m_database, m_prompt, nullptr);
        dialog.show();
        child<QRadioButton>(dialog, option)->click();
        if (!list.isEmpty()) {
            auto* disks = child<QComboBox>(dialog, list);
            const int photos = disks->findText(QStringLiteral(".\\Photos"));
            disks->setCurrentIndex(photos);
            Q_EMIT disks->activated(photos);
        }
        const QString pdf = m_out.filePath(QTest::currentDataTag() + QStringLiteral(".pdf"));
        PrinterChooser::setNextPdfFile(printerChosen ? pdf : QString());
        child<QPushButton>(dialog, button)->click();

        QCOMPARE(dialog.isVisible(), open == u"o");
        const bool refused = printerChosen && printed.isEmpty();
        QCOMPARE(m_prompt.texts(),
                 refused ? QStringList{QStringLiteral("You must select a disk.")} : QStringList());
        QCOMPARE(QFile::exists(pdf), !printed.isEmpty());
        if (!printed.isEmpty())
            QVERIFY2(pdfText(pdf).contains(printed), qPrintable(pdfText(pdf)));
    }

    // A record gone since the dialog opened: the printout stops with a message.
    void failedPrintoutIsReported()
    {
        const QString list = m_database->folder().recordFile(u".\\Photos"_s, ".f");
        const QByteArray kept = test::readFile(list);
        QVERIFY(QFile::remove(list));
        FormPrint dialog(*m_database, m_prompt, nullptr);
        dialog.show();
        auto* disks = child<QComboBox>(dialog, u"comDiskList2"_s);
        const int photos = disks->findText(u".\\Photos"_s);
        disks->setCurrentIndex(photos);
        Q_EMIT disks->activated(photos);
        PrinterChooser::setNextPdfFile(m_out.filePath(u"failed.pdf"_s));
        child<QPushButton>(dialog, u"cmdJustPrint"_s)->click();
        test::writeFile(list, kept);
        QCOMPARE(m_prompt.texts(), QStringList{u"Printing aborted due to unknown error"_s});
    }

    // Both export commands ask for a folder and put the status text back.
    void exportCommands_data()
    {
        for (const char* column : {"command", "selected", "written"}) // written: joined by ","
            QTest::addColumn<QString>(column);
        test::addTextRows({"selected disk|mnuTextFile|Holidays\\Photos\\|Holidays-Photos.txt",
                           "all disks|mnuTextAll||Folders.txt,Holidays-Photos.txt,Photos.txt"});
    }

    void exportCommands()
    {
        auto [command, selected, written] =
            test::fetch<QString, QString, QString>("command", "selected", "written");
        test::MainWindowRig rig;
        QVERIFY(rig.open(m_prompt, m_db.path(), true, false));
        ui::MainWindow& main = *rig.window;
        if (!selected.isEmpty())
            main.tree()->selectNode(selected);
        for (const char* menu : {"mnuTools", "mnuDisk"})
            Q_EMIT main.menu(QLatin1String(menu))->aboutToShow();
        main.setStatusText(QStringLiteral("before"));

        QTemporaryDir target;
        platform::FolderChooser::setNextFolder(target.path());
        main.action(command)->trigger();
        QCOMPARE(QDir(target.path()).entryList(QDir::Files).join(u','), written);
        QCOMPARE(main.statusText(1), QStringLiteral("before"));
    }
};

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
