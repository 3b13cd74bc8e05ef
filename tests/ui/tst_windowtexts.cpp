#include "MessageBoxPrompt.h"
#include "TestFiles.h"
#include "UiTestDatabase.h"
#include "commands/Commands.h"
#include "common/Twips.h"
#include "config/Startup.h"
#include "filelist/KeyedListModel.h"
#include "filelist/ListView.h"
#include "mainwindow/CatalogueTree.h"
#include "mainwindow/MainWindow.h"
#include "store/Database.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace dovrin;
using dovrin::platform::MessageBoxPrompt;
using dovrin::ui::MainWindow;

namespace {

// Every window and dialog, opened as the user opens it: by its menu item, with a tree node
// selected first where the item needs one. An empty item means the main window itself.
// A new window is one more row here.
struct WindowRow
{
    const char* window; // the window's object name
    const char* item;   // the menu item that opens it
    const char* node;   // the tree node selected first
};
const WindowRow kWindows[] = {
    {"Base", "", ""},
    {"Search", "mnuSearch", ""},
    {"Add", "mnuNewDisk", ""},
    {"Options", "mnuOptions", ""},
    {"DiskInfo", "mnuDiskInfo", "Holidays\\Photos\\"},
};

// The platform's font, the same 1.5 times as large, and a desktop font whose digits differ in
// width.
struct FontRow
{
    const char* name;
    const char* family; // empty: the platform's
    double scale;       // of the platform font's size
};
const FontRow kFonts[] = {{"default", "", 1.0}, {"1.5x", "", 1.5}, {"Cantarell", "Cantarell", 1.2}};

QString describe(const QWidget* widget, const QString& text, QSize needed, QSize room)
{
    return QStringLiteral("%1 (%2) \"%3\" needs %4x%5, has %6x%7")
        .arg(widget->objectName(), QLatin1String(widget->metaObject()->className()), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// The part of a widget its parent shows, in the widget's coordinates.
QRect shownRect(const QWidget* widget)
{
    QRect shown = widget->rect();
    if (const QWidget* parent = widget->parentWidget(); parent && !widget->isWindow())
        shown &= parent->rect().translated(-widget->pos());
    return shown;
}

QSize buttonTextSize(const QAbstractButton* button)
{
    return button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
}

// The room a button's style leaves for its text.
QRect buttonTextRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(button))
        element = QStyle::SE_RadioButtonContents;
    else if (auto* push = qobject_cast<const QPushButton*>(button); push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return button->style()->subElementRect(element, &option, button) & shownRect(button);
}

// Every label, button, check box, option button and frame title of `window` whose text does not
// fit in the room it is given.
QStringList crampedTexts(QWidget* window)
{
    QStringList cramped;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            const QSize needed = label->wordWrap() ? QSize(label->minimumSizeHint().width(),
                                                           label->heightForWidth(label->width()))
                                                   : label->sizeHint();
            const QSize room = shownRect(label).size();
            if (needed.width() > room.width() || needed.height() > room.height())
                cramped << describe(label, label->text(), needed, room);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            const QSize needed = buttonTextSize(button);
            const QSize room = buttonTextRoom(button).size();
            if (needed.width() > room.width() || needed.height() > room.height())
                cramped << describe(button, button->text(), needed, room);
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget);
                   frame && !frame->title().isEmpty()) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.textAlignment = frame->alignment();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                               QStyle::SC_GroupBoxLabel, frame);
            // The title must lie inside the frame and above its controls.
            if (!shownRect(frame).contains(title))
                cramped << describe(frame, frame->title(), title.size(),
                                    (shownRect(frame) & title).size());
            for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child->isVisibleTo(window) && child->geometry().intersects(title))
                    cramped << describe(frame, frame->title(), title.size(), title.size()) +
                                   QStringLiteral(", under ") + child->objectName();
            }
        }
    }
    return cramped;
}

} // namespace

// Each window at the default font and at one 1.5 times as large: every text has room enough,
// and the file list's default columns hold a long size and date-time whole.
class TestWindowTexts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_programDir;
    MessageBoxPrompt m_prompt;
    QFont m_defaultFont;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ui::CommandContext> m_commands;

    void openMainWindow(const QString& family, double fontScale)
    {
        QFont font = m_defaultFont;
        if (!family.isEmpty()) {
            QVERIFY2(QFontDatabase::hasFamily(family), qPrintable(family + " is not installed"));
            font.setFamily(family);
        }
        font.setPointSizeF(m_defaultFont.pointSizeF() * fontScale);
        QApplication::setFont(font);
        test::writeSampleDatabase(m_dir.path());
        test::writeDisk(m_dir.path(), QStringLiteral("Holidays/Long"), {},
                        "\":\"\n\"big.iso\",2345678,#2026-12-28 23:59:59#\n"
                        "\"zeros.bin\",800000000,#2000-10-10 20:00:00#\n");
        m_startup = std::make_unique<Startup>(m_prompt, m_programDir.path() + u'/',
                                              m_programDir.filePath(QStringLiteral("lock")));
        QVERIFY(m_startup->loadSettings());
        m_database = std::make_unique<Database>(m_prompt);
        m_window = std::make_unique<MainWindow>(*m_startup, *m_database, m_prompt);
        m_window->setShutdown([] {});
        m_database->setView(m_window.get());
        m_commands = std::make_unique<ui::CommandContext>(
            ui::CommandContext{*m_window, *m_database, *m_startup, m_prompt, {}});
        ui::installCommands(*m_commands);
        m_window->loadDatabase(m_dir.path());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // The problems of `window`, on each page of its tab bars.
    static QStringList checkWindow(QWidget* window)
    {
        QStringList cramped = crampedTexts(window);
        for (QTabBar* tabs : window->findChildren<QTabBar*>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                cramped += crampedTexts(window);
            }
        }
        cramped.removeDuplicates();
        return cramped;
    }

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        m_defaultFont = QApplication::font();
    }

    void cleanup()
    {
        m_commands.reset();
        m_window.reset();
        m_database.reset();
        m_startup.reset();
        MessageBoxPrompt::resetTestHooks();
        QApplication::setFont(m_defaultFont);
        for (QTemporaryDir* dir : {&m_dir, &m_programDir}) {
            QDir(dir->path()).removeRecursively();
            QDir().mkpath(dir->path());
        }
    }

    void textsHaveRoom_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("fontScale");
        for (const WindowRow& row : kWindows) {
            for (const FontRow& font : kFonts) {
                QTest::addRow("%s %s", row.window, font.name)
                    << QString::fromLatin1(row.window) << QString::fromLatin1(row.item)
                    << QString::fromLatin1(row.node) << QString::fromLatin1(font.family)
                    << font.scale;
            }
        }
    }

    void textsHaveRoom()
    {
        QFETCH(QString, window);
        QFETCH(QString, item);
        QFETCH(QString, node);
        QFETCH(QString, family);
        QFETCH(double, fontScale);
        openMainWindow(family, fontScale);
        if (!node.isEmpty()) {
            QVERIFY(m_window->tree()->node(node));
            m_window->tree()->selectNode(node);
        }

        QStringList cramped;
        bool seen = false;
        auto check = [&](QWidget* shown) {
            seen = true;
            cramped = checkWindow(shown);
            if (shown != m_window.get())
                shown->close();
        };
        if (item.isEmpty()) {
            check(m_window.get());
        } else {
            // A modal window is checked from inside its own event loop.
            QTimer poll;
            poll.setInterval(10);
            connect(&poll, &QTimer::timeout, this, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal && modal->objectName() == window) {
                    poll.stop();
                    check(modal);
                }
            });
            poll.start();
            QAction* action = m_window->action(item);
            QVERIFY2(action && action->isEnabled(), qPrintable(item + " cannot be chosen"));
            action->trigger();
            poll.stop();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (!seen && top->isVisible() && top->objectName() == window)
                    check(top);
            }
        }
        QVERIFY2(seen, qPrintable(item + " opened no window " + window));
        QVERIFY2(cramped.isEmpty(), qPrintable(cramped.join(u'\n')));
    }

    void fileListColumnsHoldLongValues_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("fontScale");
        for (const FontRow& font : kFonts)
            QTest::addRow("%s", font.name) << QString::fromLatin1(font.family) << font.scale;
    }

    void fileListColumnsHoldLongValues()
    {
        QFETCH(QString, family);
        QFETCH(double, fontScale);
        openMainWindow(family, fontScale);
        ui::ListView* list = m_window->list();
        m_window->fillFileList(QStringLiteral("Holidays\\Long\\"));
        QCOMPARE(list->rowCount(), 2);
        const struct
        {
            int row;
            int column;
            const char* text;
        } kCells[] = {{0, 1, "2,345,678"},
                      {0, 2, "28/12/2026 23:59:59"},
                      {1, 1, "800,000,000"},
                      {1, 2, "10/10/2000 20:00:00"}};
        for (const auto& cell : kCells) {
            const QModelIndex index = list->model()->index(cell.row, cell.column);
            QCOMPARE(index.data().toString(), QLatin1String(cell.text));
            QStyleOptionViewItem option;
            option.initFrom(list->viewport());
            const int needed = list->itemDelegateForIndex(index)->sizeHint(option, index).width();
            QVERIFY2(needed <= list->columnWidth(cell.column),
                     qPrintable(QStringLiteral("%1 needs %2 pixels, the column has %3")
                                    .arg(QLatin1String(cell.text))
                                    .arg(needed)
                                    .arg(list->columnWidth(cell.column))));
        }
    }
};

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
