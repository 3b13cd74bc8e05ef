#pragma once

#include "copies/CopiesEngine.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace dovrin {
class Database;
}

namespace dovrin::ui {

class CopiesResultsModel;
class MainWindow;

// "Find copies": the criterion, a minimum size, the command buttons and the groups of copies
// with the search window's columns. The same window lists the files only on one disk. Like
// the search window it is shown modally and hidden by "&Close" and by opening a row, so its
// results are there at the next showing; its close box unloads it, except while it works,
// when it stops the work instead.
class CopiesWindow final : public QDialog
{
    Q_OBJECT

public:
    CopiesWindow(Database& database, MainWindow* mainWindow, QWidget* parent = nullptr);
    ~CopiesWindow() override;

    // What "&Find" looks for: every group of copies, or the files of one disk (its table
    // index) that no other disk holds.
    void setOnlyOnDisk(int disk);
    int onlyOnDisk() const { return m_onlyOn; }

    QString statusText() const;
    CopiesResultsModel* results() const { return m_model; }
    QTableView* fileList() const { return m_list; }
    bool isFinding() const { return m_engine && m_engine->isRunning(); }

    void find();
    void stop();
    void closeCommand();
    void openResult(int row);

Q_SIGNALS:
    void helpRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class StatusProgress;
    class ModelSink;

    void setStatusText(const QString& text);
    void setIdle(bool idle);

    Database& m_database;
    MainWindow* m_mainWindow;
    std::unique_ptr<copies::CopiesEngine> m_engine;
    int m_onlyOn = 0;

    QButtonGroup* m_criteria = nullptr;
    QLineEdit* m_minimumSize = nullptr;
    QPushButton* m_find = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_help = nullptr;
    QTableView* m_list = nullptr;
    QLabel* m_status = nullptr;
    CopiesResultsModel* m_model = nullptr;
};

} // namespace dovrin::ui
