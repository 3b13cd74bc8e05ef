#include "BoxImages.h"
#include "DataTable.h"
#include "FileIcons.h"
#include "FolderChooser.h"
#include "MessageBoxPrompt.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "config/Settings.h"
#include "options/OptionsDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace dovrin;
using namespace dovrin::ui;
using dovrin::platform::BoxImages;
using dovrin::platform::FolderChooser;
using dovrin::platform::MessageBoxPrompt;

class TestOptionsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

private:
    OptionsDialog* open();
    template <typename W> W* find(const char* name)
    {
        auto* w = m_dialog->findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString filterPath() const { return m_dir->path() + QStringLiteral("/Extensions.dat"); }
    void typeEntry(const QString& text);
    // Runs `check` on the active modal box, then presses `key` in it.
    void whenModal(std::function<void(QMessageBox*)> check, Qt::Key key)
    {
        QTimer::singleShot(0, this, [=] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            check(box);
            QTest::keyClick(box, key);
        });
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    Settings m_settings;
    test::ScriptedPrompt m_prompt;
    OptionsDialog* m_dialog = nullptr;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = Settings();
        m_prompt = test::ScriptedPrompt();
    }

    void cleanup()
    {
        MessageBoxPrompt::resetTestHooks();
        FolderChooser::resetTestHooks();
        delete m_dialog;
        m_dialog = nullptr;
    }

    void attributeMask_data()
    {
        // The boxes shown and ticked: H(idden), S(ystem).
        for (const char* column : {"mask", "shown", "ticked", "stored"})
            QTest::addColumn<QString>(column);
        test::addTextRows(
            {"6, untick both|6|HS||0", "0, tick system|0||S|4", "odd mask 1 ticks neither|1||H|2"});
    }

    void attributeMask()
    {
        auto [mask, shown, ticked, stored] =
            test::fetch<QString, QString, QString, QString>("mask", "shown", "ticked", "stored");
        m_settings.attributeMask = qint16(mask.toInt());
        open();
        auto* hidden = find<QCheckBox>("chkHidden");
        auto* system = find<QCheckBox>("chkSystem");
        QCOMPARE(QString(hidden->isChecked() ? "H" : "") + (system->isChecked() ? "S" : ""), shown);
        hidden->setChecked(ticked.contains(u'H'));
        system->setChecked(ticked.contains(u'S'));
        QTest::mouseClick(find<QPushButton>("cmdOk"), Qt::LeftButton);
        QCOMPARE(QString::number(m_settings.attributeMask), stored);
    }

    void okStoresSettingsAndFilter()
    {
        m_settings.databasePath = QStringLiteral("/srv/catalogues/");
        m_settings.desktopPath = QStringLiteral("/home/a/Desktop/");
        open();
        QCOMPARE(find<QLabel>("labCI")->text(), QStringLiteral("/srv/catalogues/"));
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(1);
        // A cancelled chooser keeps the path shown, a chosen folder replaces it.
        platform::FolderChooser::setNextFolder(QString());
        QTest::mouseClick(find<QPushButton>("cmdDT"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("labDT")->text(), QStringLiteral("/home/a/Desktop/"));
        platform::FolderChooser::setNextFolder(QStringLiteral("/data/E"));
        QTest::mouseClick(find<QPushButton>("cmdDLoc"), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>("cmdClrCI"), Qt::LeftButton);
        find<QCheckBox>("chkTreeCat")->setChecked(true);
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(2);
        typeEntry(QStringLiteral("tmp"));
        typeEntry(QStringLiteral("bak"));
        QVERIFY(m_dialog->isVisible()); // Enter in the entry box adds, it does not confirm
        QCOMPARE(find<QLineEdit>("txtNewExt")->text(), QString());

        // Away from the entry box, Enter confirms the dialog.
        auto* entries = find<QListWidget>("lstExts");
        entries->setFocus();
        QTRY_VERIFY(entries->hasFocus());
        QTest::keyClick(entries, Qt::Key_Return);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_settings.defaultLocation, QStringLiteral("/data/E/"));
        QCOMPARE(m_settings.desktopPath, QStringLiteral("/home/a/Desktop/"));
        QCOMPARE(m_settings.databasePath, QString());
        QVERIFY(m_settings.treeOnly);
        QCOMPARE(test::readFile(filterPath()), QByteArray("tmp\r\nbak\r\n"));

        open();
        auto* list = find<QListWidget>("lstExts");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text() + u' ' + list->item(1)->text(), u"tmp bak");
        QCOMPARE(find<QLabel>("labDLoc")->text(), QStringLiteral("/data/E/"));
        QVERIFY(find<QCheckBox>("chkTreeCat")->isChecked());
        QVERIFY(m_prompt.requests().isEmpty());
    }

    void cancelStoresNothing()
    {
        test::writeFile(filterPath(), "old\r\n");
        const Settings before = m_settings;
        open();
        platform::FolderChooser::setNextFolder(QStringLiteral("/elsewhere/"));
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(1);
        QTest::mouseClick(find<QPushButton>("cmdDLoc"), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>("cmdClrCI"), Qt::LeftButton);
        find<QCheckBox>("chkHidden")->setChecked(false);
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(2);
        typeEntry(QStringLiteral("tmp"));
        QTest::mouseClick(find<QPushButton>("cmdCancel"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(m_settings == before);
        QCOMPARE(test::readFile(filterPath()), QByteArray("old\r\n"));
    }

    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages round, from any control of the dialog.
    void ctrlTabTurnsPages_data()
    {
        test::table<int, int, int, int>(
            {"from", "key", "modifiers", "to"},
            {{"forward", 0, Qt::Key_Tab, Qt::ControlModifier, 1},
             {"last to first", 2, Qt::Key_Tab, Qt::ControlModifier, 0},
             {"backwards", 0, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 2},
             {"plain tab stays", 1, Qt::Key_Tab, Qt::NoModifier, 1},
             {"with alt stays", 1, Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier, 1}});
    }

    void ctrlTabTurnsPages()
    {
        auto [from, key, modifiers, to] =
            test::fetch<int, int, int, int>("from", "key", "modifiers", "to");
        open();
        auto* tabs = m_dialog->findChild<QTabBar*>();
        tabs->setCurrentIndex(from);
        QTest::keyClick(find<QPushButton>("cmdOk"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(tabs->currentIndex(), to);
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QString>("entry");
        test::addTextRows({"period|.tmp", "blank|t mp"});
    }

    void refusedEntries()
    {
        QFETCH(QString, entry);
        open();
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(2);
        typeEntry(entry);
        QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral(
                                       "Please don't put spaces or periods in file extensions")});
        QCOMPARE(m_prompt.requests().first().title, QStringLiteral("Problem"));
        QCOMPARE(m_prompt.requests().first().icon, PromptIcon::Exclamation);
        QCOMPARE(find<QListWidget>("lstExts")->count(), 0);
        QCOMPARE(find<QLineEdit>("txtNewExt")->text(), entry);
        QVERIFY(m_dialog->isVisible());
    }

    void ninetyNineEntries()
    {
        QByteArray lines;
        for (int i = 0; i < 98; ++i)
            lines += "e" + QByteArray::number(i) + "\r\n";
        test::writeFile(filterPath(), lines);
        open();
        m_dialog->findChild<QTabBar*>()->setCurrentIndex(2);
        typeEntry(QStringLiteral("last"));
        QCOMPARE(find<QListWidget>("lstExts")->count(), 99);
        QVERIFY(m_prompt.requests().isEmpty());
        // Full: refused even with nothing typed.
        QTest::mouseClick(find<QPushButton>("cmdAdd"), Qt::LeftButton);
        QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral("Cannot add any more extensions")});
        QCOMPARE(m_prompt.requests().first().title, QStringLiteral("Too many"));
        QCOMPARE(m_prompt.requests().first().icon, PromptIcon::Critical);
        QCOMPARE(find<QListWidget>("lstExts")->count(), 99);
    }

    // The real boxes and chooser the dialogs use, answered by pressing Enter or Escape from a
    // timer once they are up.
    void realBoxShowsTheRequest_data()
    {
        test::table<int, int, int, int, int>(
            {"buttons", "defaultAnswer", "key", "expected", "icon"},
            {{"ok", int(PromptButtons::Ok), int(PromptAnswer::Ok), Qt::Key_Return,
              int(PromptAnswer::Ok), QMessageBox::Critical},
             {"no is default", int(PromptButtons::YesNo), int(PromptAnswer::No), Qt::Key_Return,
              int(PromptAnswer::No), QMessageBox::Question},
             {"escape is cancel", int(PromptButtons::OkCancel), int(PromptAnswer::Ok),
              Qt::Key_Escape, int(PromptAnswer::Cancel), QMessageBox::Warning}});
    }

    void realBoxShowsTheRequest()
    {
        auto [buttons, defaultAnswer, key, expected, icon] = test::fetch<int, int, int, int, int>(
            "buttons", "defaultAnswer", "key", "expected", "icon");
        const PromptIcon promptIcon = icon == QMessageBox::Critical  ? PromptIcon::Critical
                                      : icon == QMessageBox::Warning ? PromptIcon::Exclamation
                                                                     : PromptIcon::Question;
        bool checked = false;
        whenModal(
            [&, icon = icon](QMessageBox* box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
                QCOMPARE(box->text(), QStringLiteral("Some text"));
                QCOMPARE(int(box->icon()), icon);
                checked = true;
            },
            Qt::Key(key));
        MessageBoxPrompt prompt;
        const PromptAnswer answer =
            prompt.ask({QStringLiteral("Title"), QStringLiteral("Some text"), promptIcon,
                        PromptButtons(buttons), PromptAnswer(defaultAnswer)});
        QVERIFY(checked);
        QCOMPARE(int(answer), expected);
    }

    void folderChooserAddsSlash_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        test::addTextRows({"plain|/media/data|/media/data/", "root|/|/", "cancel||"});
    }

    void folderChooserAddsSlash()
    {
        auto [chosen, expected] = test::fetch<QString, QString>("chosen", "expected");
        FolderChooser::setNextFolder(chosen);
        QCOMPARE(FolderChooser::browseForFolder(nullptr), expected);
    }

    // Indexes count from 1; 0 ("none") and past the end give no image.
    void boxImagesByIndex()
    {
        BoxImages& images = BoxImages::shared();
        QPixmap red(4, 4);
        red.fill(Qt::red);
        const int index = images.add(QStringLiteral("test:red"), QIcon(red));
        QCOMPARE(images.add(QStringLiteral("test:red"), QIcon()), index);
        // The last image and the first are inside the count.
        QCOMPARE(images.key(index), QStringLiteral("test:red"));
        QVERIFY(!images.key(1).isEmpty() && !images.icon(1).isNull() &&
                !images.icon(index).isNull());
        // The tree's folders: closed, and open when selected.
        QCOMPARE(images.key(platform::getFileIcon({}, platform::FileIconKind::ClosedFolder)) +
                     u' ' +
                     images.key(platform::getFileIcon({}, platform::FileIconKind::OpenFolder)),
                 QStringLiteral("closed open"));
        for (const int outside : {0, -1, images.count() + 1}) {
            QVERIFY(images.icon(outside).isNull());
            QVERIFY(images.key(outside).isEmpty());
        }
    }
};

OptionsDialog* TestOptionsDialog::open()
{
    delete m_dialog;
    m_dialog = new OptionsDialog(m_settings, DatabaseFolder(m_dir->path()), m_prompt);
    m_dialog->show();
    QTest::qWait(0);
    return m_dialog;
}

void TestOptionsDialog::typeEntry(const QString& text)
{
    auto* box = find<QLineEdit>("txtNewExt");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
