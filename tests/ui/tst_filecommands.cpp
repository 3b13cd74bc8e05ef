#include "BuildInfo.h"
#include "DataTable.h"
#include "FakeDesktop.h"
#include "Fixtures.h"
#include "FolderChooser.h"
#include "MainWindowRig.h"
#include "MessageBoxPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "config/Settings.h"
#include "filelist/ListView.h"
#include "help/AboutDialog.h"
#include "mainwindow/CatalogueTree.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace dovrin;
using platform::MessageBoxPrompt;

Q_DECLARE_METATYPE(QList<dovrin::PromptAnswer>)

// The File and Help commands in the main window, with a registered editor and browser: a
// catalogued file is run from its real disk or, when gone, the disk is offered for updating; a
// folder row opens; the guide and the web site open from every place that offers them.
class TestFileCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::FakeDesktop> m_desktop;
    QTemporaryDir m_dir;
    QTemporaryDir m_real; // the real disk and the desktop
    MessageBoxPrompt m_prompt;
    test::MainWindowRig m_rig;
    ui::MainWindow* m_window = nullptr;

    QString disk() const { return m_real.filePath(QStringLiteral("disk")); }
    ui::ListView* list() const { return m_window->list(); }

    // As a mouse does it: the first click's press, then the double click.
    void doubleClickCurrentRow()
    {
        const QPoint at = list()->visualRect(list()->currentIndex()).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }

    // Runs `action` while the next modal window is closed at once; its title, empty if none.
    QString closeNextModal(const std::function<void()>& action,
                           const std::function<void(QWidget*)>& inside = {})
    {
        QString title;
        QTimer closer; // gone with this call when no modal window came
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, this, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                title = modal->windowTitle();
                if (inside)
                    inside(modal);
                modal->close();
            }
        });
        closer.start(0);
        action();
        return title;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_desktop = std::make_unique<test::FakeDesktop>();
        test::pinLocale();
    }

    void init()
    {
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/Photos"),
                        {QStringLiteral(":\\Games"), QStringLiteral(":\\Games\\Saves")},
                        "\":\"\n\"readme.txt\",7,#2026-03-01 10:15:00#\n\":\\Games\"\n"
                        "\":\\Games\\Saves\"\n\".hidden\",1,#2026-03-01#\n",
                        0, "1.00MB", QFile::encodeName(disk()) + '/');
        test::writeFile(disk() + QStringLiteral("/readme.txt"), "read me");
        test::writeFile(disk() + QStringLiteral("/Games/Saves/.hidden"), "h");
        QVERIFY(m_rig.open(m_prompt, m_dir.path()));
        m_window = m_rig.window.get();
        m_window->tree()->selectNode(QStringLiteral("Holidays\\Photos\\"));
        m_window->fillFileList(QStringLiteral("Holidays\\Photos\\"));
        m_desktop->clearArguments(QStringLiteral("editor"));
        m_desktop->clearArguments(QStringLiteral("browser"));
    }

    void cleanup()
    {
        m_rig.close();
        const int unanswered = MessageBoxPrompt::pendingAnswers();
        MessageBoxPrompt::resetTestHooks();
        platform::FolderChooser::resetTestHooks();
        for (QTemporaryDir* dir : {&m_dir, &m_real}) {
            QDir(dir->path()).removeRecursively();
            QDir().mkpath(dir->path());
        }
        QCOMPARE(unanswered, 0);
    }

    void runAFile_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("onDisk");
        QTest::addColumn<QList<PromptAnswer>>("answers");
        QTest::addColumn<QStringList>("titles"); // after the confirmation
        QTest::addColumn<QString>("opened");     // the modal window that then opened
        QTest::newRow("double click")
            << true << true << QList{PromptAnswer::Ok} << QStringList() << QString();
        QTest::newRow("gone, update")
            << false << false << QList{PromptAnswer::Ok, PromptAnswer::Ok, PromptAnswer::Yes}
            << QStringList{"File not found", "Question"} << "Update a disk";
    }

    void runAFile()
    {
        QFETCH(bool, doubleClick);
        QFETCH(bool, onDisk);
        QFETCH(QList<PromptAnswer>, answers);
        QFETCH(QStringList, titles);
        QFETCH(QString, opened);
        if (!onDisk)
            QFile::remove(disk() + QStringLiteral("/readme.txt"));
        for (PromptAnswer answer : answers)
            MessageBoxPrompt::setNextAnswer(answer);
        QVERIFY(list()->selectKey(QStringLiteral("Holidays\\Photos\\readme.txt")));
        const QString modal = closeNextModal([&] {
            if (doubleClick)
                doubleClickCurrentRow();
            else
                m_window->action(QStringLiteral("mnuRCRun"))->trigger();
        });
        QStringList shown;
        for (const PromptRequest& request : MessageBoxPrompt::answeredRequests())
            shown << request.title;
        QCOMPARE(shown, QStringList{"Confirm starting file '" + disk() + "/readme.txt'"} + titles);
        QCOMPARE(modal, opened);
        if (onDisk && answers.first() == PromptAnswer::Ok)
            QCOMPARE(m_desktop->arguments(QStringLiteral("editor")).last(),
                     QFile::encodeName(disk() + QStringLiteral("/readme.txt")));
    }

    void copyARow_data()
    {
        for (const char* column : {"key", "command", "title", "copied"}) // copied: to the target
            QTest::addColumn<QString>(column);
        test::addTextRows({"first row, a folder, to a chosen folder|Holidays\\Photos\\Games\\|"
                           "mnuHCopyto|Copy 'Games'|Games/Saves/.hidden",
                           "file to the desktop|Holidays\\Photos\\readme.txt|mnuHCopytoDesktop|"
                           "Copy 'readme.txt' to desktop|readme.txt"});
    }

    void copyARow()
    {
        auto [key, command, title, copied] =
            test::fetch<QString, QString, QString, QString>("key", "command", "title", "copied");
        const QString target = m_real.filePath(QStringLiteral("target")) + u'/';
        QVERIFY(QDir().mkpath(target));
        m_rig.startup->settings().desktopPath = target;
        platform::FolderChooser::setNextFolder(target);
        MessageBoxPrompt::setNextAnswer(PromptAnswer::Ok);
        QVERIFY(list()->selectKey(key));
        m_window->action(command)->trigger();
        QCOMPARE(MessageBoxPrompt::answeredRequests().first().title, title);
        QTRY_VERIFY(QFile::exists(target + copied)); // a folder is copied in the background
    }

    void folderRowOpensInTheTree()
    {
        QVERIFY(list()->selectKey(QStringLiteral("Holidays\\Photos\\Games\\")));
        doubleClickCurrentRow();
        ui::CatalogueTree* tree = m_window->tree();
        QCOMPARE(ui::CatalogueTree::tagOf(tree->node(QStringLiteral("Holidays\\Photos\\"))),
                 QStringLiteral("DISKIN"));
        QCOMPARE(tree->selectedKey(), QStringLiteral("Holidays\\Photos\\Games\\"));
        QCOMPARE(list()->listedKey(), QStringLiteral("Holidays\\Photos\\Games\\"));
    }

    void helpAndWebSiteOpenInTheBrowser_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("click"); // in the window that the command opens
        QTest::addColumn<QByteArray>("argument");
        const QByteArray guide =
            QFile::encodeName(QCoreApplication::applicationDirPath()) + "/Help.html";
        QTest::newRow("menu") << "mnuHelp" << QString() << guide;
        QTest::newRow("about box") << "cmdAbout"
                                   << "labWeb" << QByteArray(build::kMakerWeb);
    }

    void helpAndWebSiteOpenInTheBrowser()
    {
        QFETCH(QString, command);
        QFETCH(QString, click);
        QFETCH(QByteArray, argument);
        bool closedByClick = false;
        closeNextModal([&] { m_window->action(command)->trigger(); },
                       [&](QWidget* modal) {
                           if (click.isEmpty())
                               return;
                           QTest::mouseClick(modal->findChild<QWidget*>(click), Qt::LeftButton);
                           closedByClick = !modal->isVisible();
                       });
        QCOMPARE(closedByClick, command == QLatin1String("cmdAbout"));
        QCOMPARE(m_desktop->arguments(QStringLiteral("browser")),
                 (QList<QByteArray>{QFile::encodeName(m_desktop->path(QStringLiteral("browser"))),
                                    argument}));
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
