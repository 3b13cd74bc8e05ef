#include "Fixtures.h"
#include "MainWindowRig.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "common/Progress.h"
#include "copies/CopiesResultsModel.h"
#include "copies/CopiesWindow.h"
#include "copies/VerifyWindow.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "scan/Scanner.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace dovrin;
using ui::CopiesWindow;
using ui::VerifyWindow;

namespace {

const QDateTime kModified(QDate(2026, 3, 1), QTime(10, 15));

} // namespace

// "Find copies...", "Files only on this disk" and "Verify against the disk..." driven through
// the menus, on two disks catalogued from overlapping folders.
class TestCopiesWindow : public QObject
{
    Q_OBJECT

private:
    // Runs the menu item; `inside` acts in its modal window once `ready` says the work is done.
    void runModal(const char* item, const std::function<bool()>& ready,
                  const std::function<void()>& inside);
    QStringList rows(const ui::CopiesResultsModel& model, int column) const;
    QString source(int disk) const { return m_dir.path() + QStringLiteral("/src%1/").arg(disk); }

    QTemporaryDir m_dir;
    test::ScriptedPrompt m_prompt;
    test::MainWindowRig m_rig;
    ui::MainWindow* m_window = nullptr;
    ui::CommandContext* m_commands = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        test::makeFile(source(1) + QStringLiteral("shared.jpg"), "1234", kModified);
        test::makeFile(source(1) + QStringLiteral("Docs/only.txt"), "one", kModified);
        test::makeFile(source(2) + QStringLiteral("Shared.JPG"), "1234", kModified);
        test::makeFile(source(2) + QStringLiteral("two.txt"), "two", kModified);
        // Equal names and sizes, not dates or contents; equal contents under other names.
        test::makeFile(source(1) + QStringLiteral("notes.txt"), "12345", kModified);
        test::makeFile(source(2) + QStringLiteral("notes.txt"), "54321", kModified.addDays(1));
        test::makeFile(source(1) + QStringLiteral("photo.raw"), "abcdef", kModified);
        test::makeFile(source(2) + QStringLiteral("renamed.raw"), "abcdef", kModified);
        // Empty files are never copies.
        test::makeFile(source(1) + QStringLiteral("empty"), "", kModified);
        test::makeFile(source(2) + QStringLiteral("empty"), "", kModified);
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

    void init()
    {
        QVERIFY(m_rig.open(m_prompt, m_dir.path() + QStringLiteral("/db")));
        m_window = m_rig.window.get();
        m_commands = m_rig.commands.get();
    }

    void cleanup() { m_rig.close(); }

    void findCopies_data()
    {
        // names: group and name, row by row; largest extra space first, a group's rows in disk
        // order.
        for (const char* column : {"criterion", "minimumSize", "names", "status"})
            QTest::addColumn<QString>(column);
        // The engine's own table checks each criterion; these rows check the window passes its
        // choices on.
        test::addTextRows(
            {"content finds the renamed file|optContent|0|0 photo.raw,0 renamed.raw,1 shared.jpg,"
             "1 Shared.JPG| 2 group(s) of copies, 4 file(s), 0 KB in extra copies",
             "minimum size|optNameSize|5|0 notes.txt,0 notes.txt| 1 group(s) of copies, 2 file(s), "
             "0 KB in extra copies"});
    }

    void findCopies()
    {
        QFETCH(QString, criterion);
        QFETCH(QString, minimumSize);
        QFETCH(QString, names);
        QFETCH(QString, status);
        runModal(
            "mnuCopies", [] { return true; },
            [&] {
                CopiesWindow* window = m_commands->copies;
                QCOMPARE(window->windowTitle(), QStringLiteral("Find copies"));
                // The window opens on name and size, the criterion every database can answer.
                QVERIFY(
                    window->findChild<QRadioButton*>(QStringLiteral("optNameSize"))->isChecked());
                window->findChild<QRadioButton*>(criterion)->click();
                auto* size = window->findChild<QLineEdit*>(QStringLiteral("txtMinSize"));
                size->selectAll();
                QTest::keyClicks(size, minimumSize);
                window->findChild<QPushButton*>(QStringLiteral("cmdFind"))->click();
                QCOMPARE(rows(*window->results(), 0).join(u','), names);
                QCOMPARE(window->statusText(), status);
                window->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
            });
    }

    void sortStopAndOpen()
    {
        QString opened;
        runModal(
            "mnuCopies", [] { return true; },
            [&] {
                CopiesWindow* window = m_commands->copies;
                auto* find = window->findChild<QPushButton*>(QStringLiteral("cmdFind"));
                // "S&top" as soon as the work lets the window act: nothing listed, said so.
                QTimer::singleShot(0, window, [window] {
                    window->findChild<QPushButton*>(QStringLiteral("cmdStop"))->click();
                });
                find->click();
                QCOMPARE(window->results()->rowCount(), 0);
                QVERIFY2(window->statusText().startsWith(QLatin1String("Stopped.")),
                         qPrintable(window->statusText()));

                find->click();
                const ui::CopiesResultsModel& model = *window->results();
                // A header sorts the rows of each group, the groups keep their order.
                QHeaderView* header = window->fileList()->horizontalHeader();
                for (int click = 0; click < 2; ++click)
                    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                      QPoint(header->sectionViewportPosition(1) + 5, 5));
                QCOMPARE(rows(model, 1), (QStringList{"0 .\\Disk2\\", "0 .\\Disk1\\",
                                                      "1 .\\Disk2\\", "1 .\\Disk1\\"}));
                // Enter on a row, the first one too, opens it in the main window.
                opened = model.key(0);
                window->fileList()->setFocus();
                window->fileList()->setCurrentIndex(model.index(0, 0));
                QTest::keyClick(window->fileList(), Qt::Key_Return);
                QVERIFY(!window->isVisible());
            });
        QTRY_COMPARE(m_window->list()->currentKey(), opened);
    }

    void verifyFindsADamagedFile()
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
                QCOMPARE(verify->findChild<QLabel*>(QStringLiteral("labStatus"))->text(),
                         QStringLiteral("The disk differs from its catalogue."));
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
};

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
        // A failed check returns early with the window still open: close it to end the test.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && QTest::currentTestFailed())
            modal->close();
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

QTEST_MAIN(TestCopiesWindow)
#include "tst_copieswindow.moc"
