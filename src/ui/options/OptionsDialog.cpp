#include "OptionsDialog.h"

#include "FolderChooser.h"
#include "common/Prompt.h"
#include "common/Twips.h"
#include "config/Settings.h"
#include "scan/ExtensionList.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>

namespace dovrin::ui {

namespace {

// Pages out of sight stand far to the left, as well as being switched off.
constexpr int kPageLeft = 240;
constexpr int kHiddenPageLeft = -20000;
constexpr int kPageTop = 570;
constexpr int kPageWidth = 5640;
constexpr int kPageHeight = 3210;

QLabel* caption(QWidget* page, const QString& text, int left, int top, int width)
{
    auto* label = new QLabel(text, page);
    label->setGeometry(twipsRect(left, top, width, 255));
    return label;
}

} // namespace

qint16 attributeMaskFor(bool hidden, bool system)
{
    return qint16((hidden ? 2 : 0) + (system ? 4 : 0));
}

bool maskShowsHidden(qint16 mask)
{
    return mask == 2 || mask == 6;
}

bool maskShowsSystem(qint16 mask)
{
    return mask == 4 || mask == 6;
}

OptionsDialog::OptionsDialog(Settings& settings, const DatabaseFolder& database, Prompt& prompt,
                             QWidget* parent)
    : QDialog(parent), m_settings(settings), m_database(database), m_prompt(prompt)
{
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(toPixelsX(6120), toPixelsY(4560));

    m_tabs = place(new QTabBar(this), "tbsOptions", 120, 120, 5880, 360);
    m_tabs->setDrawBase(false);
    m_tabs->addTab(QStringLiteral("General"));
    m_tabs->addTab(QStringLiteral("Paths"));
    m_tabs->addTab(QStringLiteral("File filtering"));
    auto* body = new QFrame(this);
    body->setFrameShape(QFrame::StyledPanel);
    body->setGeometry(twipsRect(120, 480, 5880, 3420));
    body->lower();

    m_pages = {buildGeneralPage(), buildPathsPage(), buildFilteringPage()};
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setObjectName(QStringLiteral("picOptions%1").arg(i));

    m_ok = place(new QPushButton(QStringLiteral("&Ok"), this), "cmdOk", 3480, 4020, 1200, 375);
    auto* cancel =
        place(new QPushButton(QStringLiteral("&Cancel"), this), "cmdCancel", 4800, 4020, 1200, 375);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &OptionsDialog::reject);
    connect(m_tabs, &QTabBar::currentChanged, this, &OptionsDialog::showPage);

    // Enter adds the typed entry while the entry box has the focus, and confirms otherwise.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            if (now == m_newExtension)
                m_add->setDefault(true);
            else if (old == m_newExtension)
                m_ok->setDefault(true);
        });
    // The dialog sees key presses before its controls, for Ctrl+Tab.
    qApp->installEventFilter(this);

    load();
    showPage(0);
}

QWidget* OptionsDialog::buildGeneralPage()
{
    auto* page = new QWidget(this);
    m_treeCat =
        place(new QCheckBox(QStringLiteral("Default to cataloguing folder tree only"), page),
              "chkTreeCat", 120, 240, 5400, 285);
    m_hidden = place(new QCheckBox(QStringLiteral("Catalogue hidden files"), page), "chkHidden",
                     120, 645, 5400, 285);
    m_system = place(new QCheckBox(QStringLiteral("Catalogue system files"), page), "chkSystem",
                     120, 1050, 5400, 285);
    m_fingerprint = place(new QCheckBox(QStringLiteral("Fingerprint file contents (slower)"), page),
                          "chkFingerprint", 120, 1455, 5400, 285);
    return page;
}

QLabel* OptionsDialog::addPathRow(QWidget* page, int top, const QString& text, const QString& name,
                                  int labelWidth)
{
    caption(page, text, 120, top, 5400);
    auto* path = new QLabel(page);
    path->setObjectName(QStringLiteral("lab") + name);
    path->setGeometry(twipsRect(120, top + 270, labelWidth, 315));
    path->setFrameShape(QFrame::Panel);
    path->setFrameShadow(QFrame::Sunken);
    path->setTextFormat(Qt::PlainText);
    auto* browse = new QPushButton(QStringLiteral("..."), page);
    browse->setObjectName(QStringLiteral("cmd") + name);
    browse->setGeometry(twipsRect(120 + labelWidth + 60, top + 270, 420, 315));
    connect(browse, &QPushButton::clicked, this, [this, path] { choosePath(path); });
    return path;
}

QWidget* OptionsDialog::buildPathsPage()
{
    auto* page = new QWidget(this);
    m_defaultLocationPath = addPathRow(page, 120, QStringLiteral("Default location to catalogue:"),
                                       QStringLiteral("DLoc"), 4920);
    m_desktopPath =
        addPathRow(page, 870, QStringLiteral("Location of desktop:"), QStringLiteral("DT"), 4920);
    m_databasePath =
        addPathRow(page, 1620, QStringLiteral("Default location for catalogued information:"),
                   QStringLiteral("CI"), 4440);
    auto* clear =
        place(new QPushButton(QStringLiteral("Clr"), page), "cmdClrCI", 5100, 1890, 420, 315);
    connect(clear, &QPushButton::clicked, m_databasePath, &QLabel::clear);
    caption(page, QStringLiteral("Leave this blank for default application folder"), 120, 2280,
            5400);
    return page;
}

QWidget* OptionsDialog::buildFilteringPage()
{
    auto* page = new QWidget(this);
    caption(page, QStringLiteral("Don't catalogue files of the following types:"), 120, 120, 5400);
    m_extensions = place(new QListWidget(page), "lstExts", 120, 420, 2640, 2160);
    m_newExtension = place(new QLineEdit(page), "txtNewExt", 2940, 420, 1440, 315);
    m_add = place(new QPushButton(QStringLiteral("Add"), page), "cmdAdd", 4500, 405, 1020, 345);
    auto* remove =
        place(new QPushButton(QStringLiteral("Remove"), page), "cmdRemove", 4500, 870, 1020, 345);
    auto* note = caption(page,
                         QStringLiteral("Filtering files does not lower the free space count in "
                                        "the catalogue."),
                         120, 2670, 5400);
    note->setWordWrap(true);
    note->resize(note->width(), toPixelsY(480));
    connect(m_add, &QPushButton::clicked, this, &OptionsDialog::addEntry);
    connect(remove, &QPushButton::clicked, this, &OptionsDialog::removeEntry);
    return page;
}

void OptionsDialog::load()
{
    m_defaultLocationPath->setText(m_settings.defaultLocation);
    m_desktopPath->setText(m_settings.desktopPath);
    m_databasePath->setText(m_settings.databasePath);
    m_treeCat->setChecked(m_settings.treeOnly);
    m_fingerprint->setChecked(m_settings.fingerprint);
    m_hidden->setChecked(maskShowsHidden(m_settings.attributeMask));
    m_system->setChecked(maskShowsSystem(m_settings.attributeMask));
    m_extensions->addItems(ExtensionList::readLines(m_database));
}

OptionsDialog::~OptionsDialog()
{
    // Hiding the dialog moves the focus: the watcher must not see this half-destroyed dialog.
    disconnect(m_focusWatch);
    qApp->removeEventFilter(this);
}

void OptionsDialog::showPage(int index)
{
    // Focus that was on the page going away moves to the first control of the page shown.
    QWidget* focus = focusWidget();
    const bool focusOnPage =
        focus && std::any_of(m_pages.begin(), m_pages.end(),
                             [focus](QWidget* p) { return p->isAncestorOf(focus); });
    for (int i = 0; i < m_pages.size(); ++i) {
        QWidget* page = m_pages[i];
        const bool selected = i == index;
        page->setGeometry(
            twipsRect(selected ? kPageLeft : kHiddenPageLeft, kPageTop, kPageWidth, kPageHeight));
        page->setEnabled(selected);
        page->setVisible(selected);
    }
    if (focusOnPage) {
        for (QWidget* child : m_pages[index]->findChildren<QWidget*>()) {
            if (child->focusPolicy() & Qt::TabFocus) {
                child->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || !(mods & Qt::ControlModifier) || (mods & (Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const int count = m_tabs->count();
    const bool backwards = (mods & Qt::ShiftModifier) || key->key() == Qt::Key_Backtab;
    m_tabs->setCurrentIndex((m_tabs->currentIndex() + (backwards ? count - 1 : 1)) % count);
    return true;
}

void OptionsDialog::choosePath(QLabel* label)
{
    const QString folder = platform::FolderChooser::browseForFolder(this);
    if (!folder.isEmpty())
        label->setText(folder);
}

void OptionsDialog::addEntry()
{
    if (m_extensions->count() >= kMaxEntries) {
        m_prompt.message(QStringLiteral("Too many"),
                         QStringLiteral("Cannot add any more extensions"), PromptIcon::Critical);
        return;
    }
    const QString entry = m_newExtension->text();
    if (entry.isEmpty())
        return;
    if (entry.contains(QLatin1Char('.')) || entry.contains(QLatin1Char(' '))) {
        m_prompt.message(QStringLiteral("Problem"),
                         QStringLiteral("Please don't put spaces or periods in file extensions"),
                         PromptIcon::Exclamation);
        return;
    }
    m_extensions->addItem(entry);
    m_newExtension->clear();
}

void OptionsDialog::removeEntry()
{
    const int row = m_extensions->currentRow();
    if (row != -1 && m_extensions->currentItem()->isSelected())
        delete m_extensions->takeItem(row);
}

void OptionsDialog::accept()
{
    m_settings.defaultLocation = m_defaultLocationPath->text();
    m_settings.desktopPath = m_desktopPath->text();
    m_settings.treeOnly = m_treeCat->isChecked();
    m_settings.fingerprint = m_fingerprint->isChecked();
    m_settings.databasePath = m_databasePath->text();
    m_settings.attributeMask = attributeMaskFor(m_hidden->isChecked(), m_system->isChecked());

    QStringList entries;
    for (int i = 0; i < m_extensions->count(); ++i)
        entries.append(m_extensions->item(i)->text());
    QString error;
    if (!ExtensionList(entries).write(m_database, &error))
        m_prompt.error(QStringLiteral("Unable to save the file type filter.\n") + error);
    QDialog::accept();
}

} // namespace dovrin::ui
