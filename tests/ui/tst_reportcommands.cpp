#include "FolderChooser.h"
#include "PdfText.h"
#include "PrinterChooser.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "commands/Commands.h"
#include "config/Startup.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "reports/FormPrint.h"
#include "reports/PrintJob.h"
#include "search/SearchResultsModel.h"
#include "search/SearchWindow.h"
#include "store/Database.h"

#include <QAction>
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

    void printDialogOpens()
    {
        FormPrint dialog(*m_database, m_prompt, nullptr);
        QVERIFY(child<QRadioButton>(dialog, u"optPrintTree"_s)->isChecked());
        QCOMPARE(child<QComboBox>(dialog, u"comDiskList"_s)->count(), 3);
        auto* contents = child<QComboBox>(dialog, u"comDiskList2"_s);
        QCOMPARE(contents->count(), 2); // not the folders-only disk
        QCOMPARE(contents->findText(QStringLiteral(".\\Folders")), -1);
        QCOMPARE(child<QComboBox>(dialog, u"cmFontSize"_s)->currentText(), QStringLiteral("12"));
    }

    void printDialogButtons_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("list"); // the disk list an item is chosen in, or none
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("printerChosen");
        QTest::addColumn<QString>("printed"); // the printout's heading, empty: nothing
        QTest::addColumn<bool>("open");       // the dialog afterwards
        const QString refused;                // "You must select a disk."
        QTest::newRow("ok without a tree disk")
            << u"optPrintTree"_s << QString() << u"cmdOk"_s << true << refused << true;
        QTest::newRow("just print without a contents disk")
            << u"optPrintFiles"_s << QString() << u"cmdJustPrint"_s << true << refused << true;
        QTest::newRow("ok prints the list and closes")
            << u"optPrintList"_s << QString() << u"cmdOk"_s << true << u"List of disks catalogued"_s
            << false;
        QTest::newRow("choosing a disk selects its option; just print stays open")
            << u"optPrintList"_s << u"comDiskList2"_s << u"cmdJustPrint"_s << true
            << u"Disk: .\\Photos"_s << true;
        QTest::newRow("cancelled print dialog, ok still closes")
            << u"optPrintList"_s << QString() << u"cmdOk"_s << false << QString() << false;
    }

    void printDialogButtons()
    {
        QFETCH(QString, option);
        QFETCH(QString, list);
        QFETCH(QString, button);
        QFETCH(bool, printerChosen);
        QFETCH(QString, printed);
        QFETCH(bool, open);
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

        QCOMPARE(dialog.isVisible(), open);
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

    // The list is printed as it stands: its order after a header sort, and the option chosen
    // when printing.
    void searchResultsPrintout_data()
    {
        QTest::addColumn<int>("sizeClicks");
        QTest::addColumn<QString>("optionAfter");
        QTest::addColumn<QString>("line");
        QTest::newRow("found order")
            << 0 << QString() << u"Search results for: E in part of file names"_s;
        QTest::newRow("size descending, option changed")
            << 2 << u"optWhole"_s << u"Search results for: E in exact file names"_s;
    }

    void searchResultsPrintout()
    {
        QFETCH(int, sizeClicks);
        QFETCH(QString, optionAfter);
        QFETCH(QString, line);
        SearchWindow window(*m_database, nullptr);
        window.show();
        child<QLineEdit>(window, u"Searchtext"_s)->setText(QStringLiteral("e"));
        window.search();
        SearchResultsModel* model = window.results();
        QCOMPARE(model->rowCount(), 5);
        for (int i = 0; i < sizeClicks; ++i)
            model->sortByColumn(SearchResultsModel::SizeColumn);
        if (!optionAfter.isEmpty())
            child<QRadioButton>(window, optionAfter)->click();

        const QString pdf = m_out.filePath(QTest::currentDataTag() + QStringLiteral(".pdf"));
        PrinterChooser::setNextPdfFile(pdf);
        ui::printSearchResults(window, m_prompt);
        QVERIFY(m_prompt.requests().isEmpty());
        const QList<PdfWord> words = test::pdfWords(pdf);
        QVERIFY(test::findText(words, line) >= 0);
        // The names stand in the list's order, each after the previous one.
        qsizetype from = 0;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString name = model->text(row, SearchResultsModel::NameColumn);
            const qsizetype at = test::findText(words, name, from);
            QVERIFY2(at >= 0, qPrintable(name));
            from = at + 1;
        }
    }

    // Both export commands ask for a folder and put the status text back.
    void exportCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("selected disk")
            << u"mnuTextFile"_s << u"Holidays\\Photos\\"_s << QStringList{u"Holidays-Photos.txt"_s};
        QTest::newRow("catalogue selected") << u"mnuTextFile"_s << u"Holidays\\"_s << QStringList();
        QTest::newRow("all disks")
            << u"mnuTextAll"_s << QString()
            << QStringList{u"Folders.txt"_s, u"Holidays-Photos.txt"_s, u"Photos.txt"_s};
    }

    void exportCommands()
    {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QStringList, written);
        QTemporaryDir programDir;
        Startup startup(m_prompt, programDir.path() + u'/',
                        programDir.filePath(QStringLiteral("lock")));
        QVERIFY(startup.loadSettings());
        Database database(m_prompt);
        ui::MainWindow main(startup, database, m_prompt);
        main.setShutdown([] {});
        database.setView(&main);
        main.loadDatabase(m_db.path());
        ui::CommandContext context{main, database, startup, m_prompt, {}};
        ui::installReportCommands(context);
        if (!selected.isEmpty())
            main.tree()->selectNode(selected);
        for (const char* menu : {"mnuTools", "mnuDisk"})
            Q_EMIT main.menu(QLatin1String(menu))->aboutToShow();
        main.setStatusText(QStringLiteral("before"));

        QTemporaryDir target;
        platform::FolderChooser::setNextFolder(target.path());
        main.action(command)->trigger();
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), written);
        QCOMPARE(main.statusText(1), QStringLiteral("before"));
        main.close();
    }
};

QTEST_MAIN(TestReportCommands)
#include "tst_reportcommands.moc"
