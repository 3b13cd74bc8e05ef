#include "VerifyWindow.h"

#include "CopiesResultsModel.h"
#include "WindowProgress.h"
#include "common/Twips.h"
#include "search/OpenResult.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

namespace dovrin::ui {

namespace {

constexpr int kListTop = 1260;

// Rows go to the report's model, grouped by kind.
class ReportSink final : public copies::VerifySink
{
public:
    explicit ReportSink(CopiesResultsModel& model) : m_model(model) {}
    void addDifference(copies::Difference kind, const search::SearchRow& row,
                       const QString&) override
    {
        QString name = copies::differenceName(kind);
        name[0] = name[0].toUpper();
        m_model.addRow(row, int(kind), name);
    }

private:
    CopiesResultsModel& m_model;
};

} // namespace

VerifyWindow::VerifyWindow(Database& database, int disk, int attributeMask, Prompt& prompt,
                           MainWindow* mainWindow, QWidget* parent)
    : QDialog(parent), m_database(database), m_disk(disk), m_attributeMask(attributeMask),
      m_prompt(prompt), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Verify"));
    setWindowTitle(QStringLiteral("Verify ") + database.disks().at(disk).path);
    setMinimumSize(toPixelsX(7545), toPixelsY(5000));

    m_statusLines[0] = place(new QLabel(this), "labStatus", 120, 120, 9000, 255);
    m_statusLines[1] = place(new QLabel(this), "labStatus2", 120, 420, 9000, 255);
    m_statusLines[1]->setTextFormat(Qt::PlainText);
    m_bar = place(new QProgressBar(this), "ProgressBar", 120, 750, 9000, 285);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);

    auto addButton = [this](const char* name, const QString& caption, int left) {
        auto* button = place(new QPushButton(caption, this), name, left, 120, 1335, 375);
        button->setAutoDefault(false);
        return button;
    };
    m_cancel = addButton("cmdCancel", QStringLiteral("Ca&ncel"), 9240);
    m_update = addButton("cmdUpdate", QStringLiteral("&Update disk..."), 9240);
    m_close = addButton("cmdClose", QStringLiteral("&Close"), 9240);
    m_update->move(m_update->x(), toPixelsY(120));
    m_close->move(m_close->x(), toPixelsY(600));
    m_update->hide();
    m_close->hide();
    connect(m_cancel, &QPushButton::clicked, this, &VerifyWindow::cancel);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_update, &QPushButton::clicked, this, [this] { done(UpdateRequested); });

    m_model = new CopiesResultsModel(true, this);
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
    const int widths[] = {1300, 3704, 4411, 1411, 2295, 2540};
    for (int column = 0; column < 6; ++column)
        m_list->setColumnWidth(column, toPixelsX(widths[column]));
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, m_model,
            &CopiesResultsModel::sortByColumn);
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
}

VerifyWindow::~VerifyWindow() = default;

QString VerifyWindow::statusText() const
{
    return m_status->text();
}

bool VerifyWindow::verify()
{
    platform::WindowProgress progress(m_statusLines[0], m_statusLines[1], m_bar);
    m_progress = &progress;
    copies::DiskVerifier verifier(m_database.folder(), m_database.disks(), m_prompt);
    ReportSink sink(*m_model);
    m_result = verifier.run(m_disk, m_attributeMask, sink, progress);
    m_progress = nullptr;
    m_model->publish();

    using End = copies::VerifyResult::End;
    if (m_result.end != End::Matches && m_result.end != End::Differs) {
        QDialog::reject();
        return false;
    }
    m_statusLines[0]->setText(m_result.end == End::Matches
                                  ? QStringLiteral("Every file is as catalogued.")
                                  : QStringLiteral("The disk differs from its catalogue."));
    m_statusLines[1]->clear();
    m_bar->setValue(100);
    m_status->setText(m_result.summaryText());
    m_cancel->hide();
    m_update->show();
    m_close->show();
    m_close->setDefault(true);
    return true;
}

void VerifyWindow::cancel()
{
    if (m_progress)
        m_progress->requestStop();
    else
        QDialog::reject();
}

void VerifyWindow::reject()
{
    cancel();
}

void VerifyWindow::openResult(int row)
{
    if (m_progress || row < 0 || row >= m_model->rowCount())
        return;
    const QString key = m_model->key(row);
    accept();
    openResultInMainWindow(m_mainWindow, key);
}

void VerifyWindow::closeEvent(QCloseEvent* event)
{
    if (m_progress) {
        // The close box cancels the walk, as in cataloguing.
        m_progress->requestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void VerifyWindow::resizeEvent(QResizeEvent* event)
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
