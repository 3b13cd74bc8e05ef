#include "../scan/ScanTestTree.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "commands/Commands.h"
#include "common/Progress.h"
#include "config/Startup.h"
#include "copies/CopiesResultsModel.h"
#include "copies/CopiesWindow.h"
#include "copies/VerifyWindow.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "scan/Scanner.h"
#include "store/Database.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace dovrin;
using ui::CopiesWindow;
using ui::VerifyWindow;

// "Find copies...", "Files only on this disk" and "Verify against the disk..." driven through
// the menus, on two disks catalogued from overlapping folders.
class TestCopiesWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void findCopies();
    void onlyOnThisDisk();
    void verifyFindsADamagedFile();

private:
    // Runs the menu item; `inside` acts in its modal window once `ready` says the work is done.
    void runModal(const char* item, const std::function<bool()>& ready,
                  const std::function<void()>& inside);
    QStringList rows(const ui::CopiesResultsModel& model, int column) const;
    QString source(int disk) const { return m_dir.path() + QStringLiteral("/src%1/").arg(disk); }

    QTemporaryDir m_dir;
    QTemporaryDir m_programDir;
    test::ScriptedPrompt m_prompt;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<ui::MainWindow> m_window;
    std::unique_ptr<ui::CommandContext> m_commands;
};

namespace {

const QDateTime kModified(QDate(2026, 3, 1), QTime(10, 15));

} // namespace

void TestCopiesWindow::initTestCase()
{
    test::pinLocale();
    test::makeFile(source(1) + QStringLiteral("shared.jpg"), "1234", kModified);
    test::makeFile(source(1) + QStringLiteral("Docs/only.txt"), "one", kModified);
    test::makeFile(source(2) + QStringLiteral("Shared.JPG"), "1234", kModified);
    test::makeFile(source(2) + QStringLiteral("two.txt"), "two", kModified);
    const DatabaseFolder folder(m_dir.path() + QStringLiteral("/db/"));
    QDir().mkpath(folder.root());
    for (int disk : {1, 2}) {
        ScanRequest request;
        request.database = folder;
        request.recordPath = QStringLiteral(".\\Disk%1").arg(disk);
        request.sourcePath = source(disk);
        request.fingerprint = true;
        NullProgress progress;
        QCOMPARE(catalogueDisk(request, progress, m_prompt), ScanOutcome::Complete);
    }
}

void TestCopiesWindow::init()
{
    m_startup = std::make_unique<Startup>(m_prompt, m_programDir.path() + u'/',
                                          m_programDir.filePath(QStringLiteral("lock")));
    QVERIFY(m_startup->loadSettings());
    m_database = std::make_unique<Database>(m_prompt);
    m_window = std::make_unique<ui::MainWindow>(*m_startup, *m_database, m_prompt);
    m_window->setShutdown([] {});
    m_database->setView(m_window.get());
    m_commands = std::make_unique<ui::CommandContext>(
        ui::CommandContext{*m_window, *m_database, *m_startup, m_prompt, {}, {}});
    ui::installCommands(*m_commands);
    m_window->loadDatabase(m_dir.path() + QStringLiteral("/db"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestCopiesWindow::cleanup()
{
    m_commands.reset();
    m_window.reset();
    m_database.reset();
    m_startup.reset();
}

void TestCopiesWindow::runModal(const char* item, const std::function<bool()>& ready,
                                const std::function<void()>& inside)
{
    bool acted = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (acted || !QApplication::activeModalWidget() || !ready())
            return;
        acted = true;
        inside();
    });
    poll.start(10);
    // The menus enable their items as they open.
    for (const char* menu : {"mnuTools", "mnuDisk"})
        Q_EMIT m_window->menu(QLatin1String(menu))->aboutToShow();
    m_window->action(QLatin1String(item))->trigger();
    QVERIFY(acted);
}

QStringList TestCopiesWindow::rows(const ui::CopiesResultsModel& model, int column) const
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.append(QString::number(model.group(row)) + u' ' + model.text(row, column));
    return out;
}

void TestCopiesWindow::findCopies()
{
    QString opened;
    runModal(
        "mnuCopies", [] { return true; },
        [&] {
            CopiesWindow* window = m_commands->copies;
            QCOMPARE(window->windowTitle(), QStringLiteral("Find copies"));
            window->findChild<QPushButton*>(QStringLiteral("cmdFind"))->click();
            const ui::CopiesResultsModel& model = *window->results();
            QStringList folders = rows(model, 1);
            folders.sort();
            QCOMPARE(folders, (QStringList{"0 .\\Disk1\\", "0 .\\Disk2\\"}));
            QCOMPARE(window->statusText(),
                     QStringLiteral(" 1 group(s) of copies, 2 file(s), 0 KB in extra copies"));
            // Enter on a row opens it in the main window.
            opened = model.key(1);
            window->fileList()->setFocus();
            window->fileList()->setCurrentIndex(model.index(1, 0));
            QTest::keyClick(window->fileList(), Qt::Key_Return);
            QVERIFY(!window->isVisible());
        });
    QTRY_COMPARE(m_window->list()->currentKey(), opened);
}

void TestCopiesWindow::onlyOnThisDisk()
{
    m_window->tree()->selectNode(QStringLiteral(".\\Disk1\\"));
    runModal(
        "mnuOnlyOnDisk", [this] { return m_commands->copies && !m_commands->copies->isFinding(); },
        [this] {
            CopiesWindow* window = m_commands->copies;
            QCOMPARE(window->windowTitle(), QStringLiteral("Files only on .\\Disk1"));
            QCOMPARE(rows(*window->results(), 0), QStringList{"0 only.txt"});
            window->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        });
}

void TestCopiesWindow::verifyFindsADamagedFile()
{
    const QString shared = source(1) + QStringLiteral("shared.jpg");
    test::makeFile(shared, "1235", kModified); // a byte changed in place, its time put back
    m_window->tree()->selectNode(QStringLiteral(".\\Disk1\\"));
    bool updateOpened = false;
    runModal(
        "mnuVerifyDisk",
        [this] {
            auto* verify = qobject_cast<VerifyWindow*>(QApplication::activeModalWidget());
            return verify && !verify->statusText().isEmpty();
        },
        [&] {
            auto* verify = qobject_cast<VerifyWindow*>(QApplication::activeModalWidget());
            QCOMPARE(rows(*verify->results(), 0), QStringList{"3 Damaged"});
            QCOMPARE(verify->results()->text(0, 1), QStringLiteral("shared.jpg"));
            QCOMPARE(verify->statusText(),
                     QStringLiteral("0 missing, 0 new, 0 changed, 1 damaged, 0 unreadable"));
            // "Update disk..." opens the update form of the add dialog.
            QTimer::singleShot(0, this, [&] {
                QWidget* add = QApplication::activeModalWidget();
                updateOpened = add && add->windowTitle() == QLatin1String("Update a disk");
                if (add)
                    add->close();
            });
            verify->findChild<QPushButton*>(QStringLiteral("cmdUpdate"))->click();
        });
    QVERIFY(updateOpened);
    test::makeFile(shared, "1234", kModified);
}

QTEST_MAIN(TestCopiesWindow)
#include "tst_copieswindow.moc"
