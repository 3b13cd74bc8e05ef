#include "SearchWindow.h"

#include "BusyCursor.h"
#include "OpenResult.h"
#include "SearchResultsModel.h"
#include "common/Progress.h"
#include "common/Twips.h"
#include "search/SearchTexts.h"
#include "search/TextMatcher.h"
#include "store/Database.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

namespace dovrin::ui {

using search::SearchMode;

namespace {

constexpr int kMinimumWidth = 7545;
constexpr int kMinimumHeight = 5000;
constexpr int kListTop = 2520;

} // namespace

// The engine's status texts go to the status bar; at each yield the rows found so far are
// shown and the window handles pending events (the Stop button, the close box).
class SearchWindow::StatusProgress final : public Progress
{
public:
    explicit StatusProgress(SearchWindow& window) : m_window(window) {}
    void setStatus(int line, const QString& text) override
    {
        if (line == 0)
            m_window.setStatusText(text);
    }
    void setValue(int) override {}
    bool yield() override
    {
        // Events are handled at every yield; new rows reach the view at most ten times a
        // second, since laying out the view for every hundred rows would cost more than the
        // search itself.
        if (!m_sincePublish.isValid() || m_sincePublish.elapsed() >= 100) {
            m_window.m_model->publish();
            m_sincePublish.start();
        }
        m_window.showPendingStatus(false);
        QCoreApplication::processEvents();
        return false; // the Stop command reaches the engine itself
    }
    // The folder lines passed between two found rows: one round of events is as good as many.
    bool yieldMany(int count) override { return count > 0 && yield(); }
    bool stayResponsive() override { return yield(); }
    bool stopRequested() const override { return false; }
    void requestStop() override {}

private:
    SearchWindow& m_window;
    QElapsedTimer m_sincePublish;
};

SearchWindow::SearchWindow(Database& database, MainWindow* mainWindow, QWidget* parent)
    : QDialog(parent), m_database(database), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Search"));
    setWindowTitle(QStringLiteral("Search"));
    setMinimumSize(toPixelsX(kMinimumWidth), toPixelsY(kMinimumHeight));

    auto* label =
        new QLabel(QStringLiteral("Enter a part of the filename, do not use DOS wildcards:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(twipsRect(120, 120, 3135, 735));

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Searchtext"));
    m_text->setGeometry(twipsRect(3480, 240, 2655, 315));

    auto* frame = new QGroupBox(QStringLiteral("This is:"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 720, 6015, 1695));
    m_options = new QButtonGroup(this);
    const struct
    {
        const char* name;
        const char* caption;
        SearchMode mode;
        int left;
        int top;
    } kOptions[] = {
        {"optWhole", "The &whole filename", SearchMode::Whole, 240, 240},
        {"OptExt", "The file &extension", SearchMode::Extension, 240, 600},
        {"optTheLot", "&List everything - can be slow!", SearchMode::Everything, 240, 960},
        {"optDir", "Part of a directory name", SearchMode::Folder, 240, 1320},
        {"optStart", "&The start of a filename", SearchMode::Start, 3120, 240},
        {"OptNam", "&Part of the name", SearchMode::Name, 3120, 600},
        {"optFC", "Search in file comments", SearchMode::Comments, 3120, 960},
        {"optDiskname", "Part of the disk name", SearchMode::DiskName, 3120, 1320},
    };
    for (const auto& option : kOptions) {
        auto* button = new QRadioButton(QString::fromUtf8(option.caption), frame);
        button->setObjectName(QLatin1String(option.name));
        button->setGeometry(twipsRect(option.left, option.top, 2800, 315));
        m_options->addButton(button, int(option.mode));
        if (option.mode == SearchMode::Name)
            button->setChecked(true);
        if (option.mode == SearchMode::Everything)
            m_theLot = static_cast<QRadioButton*>(button);
        connect(button, &QRadioButton::clicked, this, &SearchWindow::optionClicked);
    }

    auto addButton = [this](const char* name, const QString& caption, int top) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(twipsRect(6240, top, 1095, 375));
        button->setAutoDefault(false);
        return button;
    };
    m_search = addButton("cmdSearch", QStringLiteral("&Search"), 120);
    m_stop = addButton("cmdStop", QStringLiteral("S&top"), 600);
    m_close = addButton("cmdClose", QStringLiteral("&Close"), 1080);
    m_help = addButton("cmdHelp", QStringLiteral("&Help"), 1560);
    m_print = addButton("cmdPrint", QStringLiteral("Print results"), 2040);
    m_search->setDefault(true);
    m_stop->setEnabled(false);
    connect(m_search, &QPushButton::clicked, this, &SearchWindow::search);
    connect(m_stop, &QPushButton::clicked, this, &SearchWindow::stop);
    connect(m_close, &QPushButton::clicked, this, &SearchWindow::closeCommand);
    connect(m_help, &QPushButton::clicked, this, &SearchWindow::helpRequested);
    connect(m_print, &QPushButton::clicked, this, &SearchWindow::printRequested);

    m_model = new SearchResultsModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("FileList"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {3704, 4411, 1411, 2295, 2540};
    for (int column = 0; column < 5; ++column)
        m_list->setColumnWidth(column, toPixelsX(widths[column]));
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, m_model,
            &SearchResultsModel::sortByColumn);
    connect(m_list, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openResult(index.row()); });

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(statusBar);
    statusBar->addWidget(m_status, 1);
    statusBar->setGeometry(0, 0, 10, statusBar->sizeHint().height());

    // A large font must not push the window past the screen.
    QSize size(toPixelsX(12735), toPixelsY(7500));
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableSize());
    resize(size);
}

SearchWindow::~SearchWindow() = default;

QString SearchWindow::statusText() const
{
    return m_statusText;
}

void SearchWindow::setStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    // During a search the texts follow each other faster than anyone reads them ("Please
    // wait while I build the list." every hundred rows, one per disk searched): the label
    // shows the latest at most every 50 ms, since laying out and painting each would cost
    // more than the search. The texts that start a search are shown at once, as is every
    // text outside a search.
    m_statusPending = true;
    const bool starting = text == search::texts::kClearing || text == search::texts::kSearching;
    showPendingStatus(!isSearching() || starting);
}

void SearchWindow::showPendingStatus(bool now)
{
    if (!m_statusPending)
        return;
    if (!now && m_statusShown.isValid() && m_statusShown.elapsed() < 50)
        return;
    m_statusPending = false;
    m_status->setText(m_statusText);
    m_status->repaint();
    m_statusShown.start();
}

SearchMode SearchWindow::mode() const
{
    return SearchMode(m_options->checkedId());
}

QString SearchWindow::searchText() const
{
    return m_text->text();
}

void SearchWindow::optionClicked()
{
    m_text->setEnabled(!m_theLot->isChecked());
}

void SearchWindow::setIdle(bool idle)
{
    m_text->setEnabled(idle);
    for (QAbstractButton* option : m_options->buttons())
        option->setEnabled(idle);
    m_search->setEnabled(idle);
    m_close->setEnabled(idle);
    m_help->setEnabled(idle);
    m_print->setEnabled(idle);
    m_stop->setEnabled(!idle);
}

void SearchWindow::search()
{
    if (isSearching())
        return;
    m_listAll = false;
    const SearchMode chosen = mode();
    if (m_text->text().isEmpty() && chosen != SearchMode::Everything) {
        setStatusText(search::texts::kNoSearchText);
        return;
    }
    m_text->setText(search::UpperCaser().upper(m_text->text()));
    setIdle(false);
    m_engine = std::make_unique<search::SearchEngine>(m_database.folder(), m_database.disks());
    StatusProgress progress(*this);
    m_engine->run(chosen, m_text->text(), *m_model, progress);
    m_model->publish();
    showPendingStatus(true);
    m_listAll = m_engine->listAll();
    setIdle(true);
}

void SearchWindow::stop()
{
    if (isSearching())
        m_engine->requestStop();
}

void SearchWindow::closeCommand()
{
    if (m_listAll) {
        setStatusText(search::texts::kDestroyingList);
        platform::BusyCursor busy;
        m_model->clear();
    }
    hide();
}

void SearchWindow::openResult(int row)
{
    if (statusText().startsWith(QLatin1String("Se")) || row < 0 || row >= m_model->rowCount())
        return;
    const QString key = m_model->key(row);
    hide();
    openResultInMainWindow(m_mainWindow, key);
}

void SearchWindow::closeEvent(QCloseEvent* event)
{
    if (isSearching()) {
        // The close box stops the search instead of closing.
        event->ignore();
        m_engine->requestStop();
        return;
    }
    QDialog::closeEvent(event);
}

void SearchWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape is "&Close" (hide), not the dialog's reject; ignored while a search runs.
    if (event->key() == Qt::Key_Escape) {
        if (m_close->isEnabled())
            closeCommand();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SearchWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int listWidth = width() - toPixelsX(135);
    const int listHeight = height() - toPixelsY(3220);
    m_list->setGeometry(toPixelsX(60), toPixelsY(kListTop), qMax(0, listWidth),
                        qMax(0, listHeight));
    if (QStatusBar* bar = findChild<QStatusBar*>(QStringLiteral("StatusBar"))) {
        const int h = bar->sizeHint().height();
        bar->setGeometry(0, height() - h, width(), h);
    }
}

} // namespace dovrin::ui
