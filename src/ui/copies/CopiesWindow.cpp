#include "CopiesWindow.h"

#include "CopiesResultsModel.h"
#include "common/Progress.h"
#include "common/Twips.h"
#include "search/OpenResult.h"
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
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

namespace dovrin::ui {

using copies::Criterion;

namespace {

constexpr int kMinimumWidth = 7545;
constexpr int kMinimumHeight = 5000;
constexpr int kListTop = 2100;

} // namespace

// The engine's status goes to the status bar; at each yield the rows found so far are shown
// (at most ten times a second) and the window handles pending events, "S&top" among them.
class CopiesWindow::StatusProgress final : public Progress
{
public:
    explicit StatusProgress(CopiesWindow& window) : m_window(window) {}
    void setStatus(int line, const QString& text) override
    {
        if (line == 0)
            m_window.setStatusText(text);
    }
    void setValue(int) override {}
    bool yield() override
    {
        if (!m_sincePublish.isValid() || m_sincePublish.elapsed() >= 100) {
            m_window.m_model->publish();
            m_sincePublish.start();
        }
        QCoreApplication::processEvents();
        return false; // "S&top" reaches the engine itself
    }
    bool stopRequested() const override { return false; }
    void requestStop() override {}

private:
    CopiesWindow& m_window;
    QElapsedTimer m_sincePublish;
};

class CopiesWindow::ModelSink final : public copies::CopiesSink
{
public:
    explicit ModelSink(CopiesResultsModel& model) : m_model(model) {}
    void clear() override { m_model.clear(); }
    void addRow(const search::SearchRow& row, int group) override { m_model.addRow(row, group); }

private:
    CopiesResultsModel& m_model;
};

CopiesWindow::CopiesWindow(Database& database, MainWindow* mainWindow, QWidget* parent)
    : QDialog(parent), m_database(database), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Copies"));
    setMinimumSize(toPixelsX(kMinimumWidth), toPixelsY(kMinimumHeight));

    auto* frame = place(new QGroupBox(QStringLiteral("Copies are files with the same:"), this),
                        "fraCriterion", 120, 120, 6015, 1335);
    m_criteria = new QButtonGroup(this);
    const struct
    {
        const char* name;
        const char* caption;
        Criterion criterion;
        int top;
    } kCriteria[] = {
        {"optNameSize", "&Name and size", Criterion::NameAndSize, 240},
        {"optNameSizeDate", "Name, size and &date", Criterion::NameSizeAndDate, 600},
        {"optContent", "C&ontent (fingerprints)", Criterion::Content, 960},
    };
    for (const auto& option : kCriteria) {
        auto* button = place(new QRadioButton(QString::fromUtf8(option.caption), frame),
                             option.name, 240, option.top, 5655, 315);
        m_criteria->addButton(button, int(option.criterion));
        button->setChecked(option.criterion == Criterion::NameAndSize);
    }
    place(new QLabel(QStringLiteral("&Minimum size in bytes:"), this), "labMinSize", 120, 1620,
          3240, 255);
    m_minimumSize =
        place(new QLineEdit(QStringLiteral("0"), this), "txtMinSize", 3480, 1575, 2655, 315);
    m_minimumSize->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,18}")), this));
    findChild<QLabel*>(QStringLiteral("labMinSize"))->setBuddy(m_minimumSize);

    auto addButton = [this](const char* name, const QString& caption, int top) {
        auto* button = place(new QPushButton(caption, this), name, 6240, top, 1095, 375);
        button->setAutoDefault(false);
        return button;
    };
    m_find = addButton("cmdFind", QStringLiteral("&Find"), 120);
    m_stop = addButton("cmdStop", QStringLiteral("S&top"), 600);
    m_close = addButton("cmdClose", QStringLiteral("&Close"), 1080);
    m_help = addButton("cmdHelp", QStringLiteral("&Help"), 1560);
    m_find->setDefault(true);
    m_stop->setEnabled(false);
    connect(m_find, &QPushButton::clicked, this, &CopiesWindow::find);
    connect(m_stop, &QPushButton::clicked, this, &CopiesWindow::stop);
    connect(m_close, &QPushButton::clicked, this, &CopiesWindow::closeCommand);
    connect(m_help, &QPushButton::clicked, this, &CopiesWindow::helpRequested);

    m_model = new CopiesResultsModel(false, this);
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
            &CopiesResultsModel::sortByColumn);
    // A double click, or Enter on a row.
    connect(m_list, &QTableView::activated, this,
            [this](const QModelIndex& index) { openResult(index.row()); });

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(statusBar);
    statusBar->addWidget(m_status, 1);

    QSize size(toPixelsX(12735), toPixelsY(7500));
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableSize());
    resize(size);
    setOnlyOnDisk(0);
}

CopiesWindow::~CopiesWindow() = default;

void CopiesWindow::setOnlyOnDisk(int disk)
{
    m_onlyOn = disk;
    setWindowTitle(disk > 0 ? QStringLiteral("Files only on ") + m_database.disks().at(disk).path
                            : QStringLiteral("Find copies"));
}

QString CopiesWindow::statusText() const
{
    return m_status->text();
}

void CopiesWindow::setStatusText(const QString& text)
{
    if (text == m_status->text())
        return;
    m_status->setText(text);
    m_status->repaint();
}

void CopiesWindow::setIdle(bool idle)
{
    for (QAbstractButton* option : m_criteria->buttons())
        option->setEnabled(idle);
    m_minimumSize->setEnabled(idle);
    m_find->setEnabled(idle);
    m_close->setEnabled(idle);
    m_help->setEnabled(idle);
    m_stop->setEnabled(!idle);
}

void CopiesWindow::find()
{
    if (isFinding())
        return;
    copies::CopiesQuery query;
    query.criterion = Criterion(m_criteria->checkedId());
    query.minimumSize = m_minimumSize->text().toLongLong();
    query.onlyOnDisk = m_onlyOn;
    setIdle(false);
    m_engine = std::make_unique<copies::CopiesEngine>(m_database.folder(), m_database.disks());
    StatusProgress progress(*this);
    ModelSink sink(*m_model);
    m_engine->run(query, sink, progress);
    m_model->publish();
    setIdle(true);
}

void CopiesWindow::stop()
{
    if (isFinding())
        m_engine->requestStop();
}

void CopiesWindow::closeCommand()
{
    hide();
}

void CopiesWindow::openResult(int row)
{
    if (isFinding() || row < 0 || row >= m_model->rowCount())
        return;
    const QString key = m_model->key(row);
    hide();
    openResultInMainWindow(m_mainWindow, key);
}

void CopiesWindow::closeEvent(QCloseEvent* event)
{
    if (isFinding()) {
        event->ignore();
        m_engine->requestStop();
        return;
    }
    QDialog::closeEvent(event);
}

void CopiesWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape is "&Close" (hide); ignored while the work runs.
    if (event->key() == Qt::Key_Escape) {
        if (m_close->isEnabled())
            closeCommand();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CopiesWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_list->setGeometry(toPixelsX(60), toPixelsY(kListTop), qMax(0, width() - toPixelsX(135)),
                        qMax(0, height() - toPixelsY(kListTop + 700)));
    if (QStatusBar* bar = findChild<QStatusBar*>(QStringLiteral("StatusBar"))) {
        const int h = bar->sizeHint().height();
        bar->setGeometry(0, height() - h, width(), h);
    }
}

} // namespace dovrin::ui
