#include "Fixtures.h"
#include "MainWindowRig.h"
#include "MessageBoxPrompt.h"
#include "mainwindow/CatalogueTree.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace dovrin;

namespace {

// Every window, opened by its menu item ("" for the main window itself) with a tree node
// selected first where the item needs one. A new window is one more row.
const struct
{
    const char* window; // its object name
    const char* item;
    const char* node;
} kWindows[] = {
    {"Base", "", ""},
    {"Search", "mnuSearch", ""},
    {"Copies", "mnuCopies", ""},
    {"Add", "mnuNewDisk", ""},
    {"Options", "mnuOptions", ""},
    {"DiskInfo", "mnuDiskInfo", "Holidays\\Photos\\"},
    {"CatSelect", "mnuMoveDiskToCat", "Holidays\\Photos\\"},
    {"About", "mnuAbout", ""},
    {"FormPrint", "mnuPrint", ""},
};

// The room a text has and the room it needs, in the widget's coordinates; false without a text.
bool textRoom(QWidget* widget, QString& text, QSize& needed, QRect& room)
{
    room = widget->rect() & widget->parentWidget()->rect().translated(-widget->pos());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
        needed = label->wordWrap() ? QSize(label->minimumSizeHint().width(),
                                           label->heightForWidth(label->width()))
                                   : label->sizeHint();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        text = button->text();
        needed = button->fontMetrics().size(Qt::TextShowMnemonic, text);
        QStyleOptionButton option;
        option.initFrom(button);
        auto element = qobject_cast<QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
                       : qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                             : QStyle::SE_PushButtonContents;
        if (auto* push = qobject_cast<QPushButton*>(button); push && push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        room &= button->style()->subElementRect(element, &option, button);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        // The title needs the room from the frame's corner to its far edge, above every control.
        text = frame->title();
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = text;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, frame);
        needed = QSize(title.right() + 1, title.bottom() + 1);
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            room.setBottom(qMin(room.bottom(), child->y() - 1));
    }
    return !text.isEmpty();
}

// Every label, button, check box, option button and frame title without room for its text.
QStringList crampedTexts(QWidget* window)
{
    QStringList cramped;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        QString text;
        QSize needed;
        QRect room;
        if (widget->isVisibleTo(window) && textRoom(widget, text, needed, room) &&
            (needed.width() > room.width() || needed.height() > room.height())) {
            cramped << QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                           .arg(widget->objectName(), text)
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(room.width())
                           .arg(room.height());
        }
    }
    return cramped;
}

} // namespace

// Each window at a large font: every text has room enough.
class TestWindowTexts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    platform::MessageBoxPrompt m_prompt;
    QFont m_defaultFont;
    test::MainWindowRig m_rig;
    ui::MainWindow* m_window = nullptr;

    // At 1.5 times the platform's font: what fits there fits at the platform's size.
    void openMainWindow()
    {
        QFont font = m_defaultFont;
        font.setPointSizeF(m_defaultFont.pointSizeF() * 1.5);
        QApplication::setFont(font);
        test::writeSampleDatabase(m_dir.path());
        QVERIFY(m_rig.open(m_prompt, m_dir.path()));
        m_window = m_rig.window.get();
    }

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        m_defaultFont = QApplication::font();
    }

    void cleanup()
    {
        m_rig.close();
        QApplication::setFont(m_defaultFont);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void textsHaveRoom_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("node");
        for (const auto& row : kWindows)
            QTest::newRow(row.window) << row.window << row.item << row.node;
    }

    void textsHaveRoom()
    {
        QFETCH(QString, window);
        QFETCH(QString, item);
        QFETCH(QString, node);
        openMainWindow();
        if (!node.isEmpty())
            m_window->tree()->selectNode(node);

        // Checked on each page of its tabs; a modal window from inside its own event loop.
        QStringList cramped;
        bool seen = false;
        auto check = [&](QWidget* shown) {
            seen = true;
            // Texts set since the window showed (the disk counts) are laid out first.
            QCoreApplication::sendPostedEvents();
            cramped = crampedTexts(shown);
            for (QTabBar* tabs : shown->findChildren<QTabBar*>()) {
                for (int i = 0; i < tabs->count(); ++i) {
                    tabs->setCurrentIndex(i);
                    QCoreApplication::sendPostedEvents();
                    cramped += crampedTexts(shown);
                }
            }
            if (shown != m_window)
                shown->close();
        };
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == window && !seen)
                check(modal);
        });
        poll.start(10);
        if (item.isEmpty()) {
            check(m_window);
        } else {
            QAction* action = m_window->action(item);
            QVERIFY2(action && action->isEnabled(), qPrintable(item + " cannot be chosen"));
            action->trigger();
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!seen && top->isVisible() && top->objectName() == window)
                check(top);
        }
        QVERIFY2(seen, qPrintable(item + " opened no window " + window));
        cramped.removeDuplicates();
        QVERIFY2(cramped.isEmpty(), qPrintable(cramped.join(u'\n')));
    }
};

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
