#include "BoxImages.h"
#include "DataTable.h"
#include "FileIcons.h"
#include "FolderChooser.h"
#include "MessageBoxPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>
#include <QTimer>

using namespace dovrin;
using dovrin::platform::BoxImages;
using dovrin::platform::FolderChooser;
using dovrin::platform::MessageBoxPrompt;

// The real boxes, answered by pressing Enter or Escape from a timer once they are up.
class TestPlatformDialogs : public QObject
{
    Q_OBJECT

private:
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

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }
    void cleanup()
    {
        MessageBoxPrompt::resetTestHooks();
        FolderChooser::resetTestHooks();
    }

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
        QCOMPARE(images.key(index), QStringLiteral("test:red"));
        QVERIFY(!images.icon(index).isNull());
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

QTEST_MAIN(TestPlatformDialogs)
#include "tst_platformdialogs.moc"
