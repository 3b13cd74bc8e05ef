#pragma once

#include "search/SearchEngine.h"

#include <QDialog>
#include <QElapsedTimer>
#include <memory>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace dovrin {
class Database;
}

namespace dovrin::ui {

class MainWindow;
class SearchResultsModel;

// The search window: the search text, the eight options, the command buttons and the
// results list. The main window shows it modally; "&Close" and opening a result hide it, so
// its text, option and results are there at the next showing. Its close box unloads it,
// except during a search, when it stops the search instead.
class SearchWindow final : public QDialog
{
    Q_OBJECT

public:
    SearchWindow(Database& database, MainWindow* mainWindow, QWidget* parent = nullptr);
    ~SearchWindow() override;

    QString statusText() const;
    void setStatusText(const QString& text);
    SearchResultsModel* results() const { return m_model; }
    QTableView* fileList() const { return m_list; }
    search::SearchMode mode() const;
    // The search text box as it stands (upper-cased by a search).
    QString searchText() const;
    bool isSearching() const { return m_engine && m_engine->isRunning(); }

    // The window's commands.
    void search();
    void stop();
    void closeCommand();
    // Opens the result of a row in the main window.
    void openResult(int row);

Q_SIGNALS:
    void helpRequested();
    void printRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class StatusProgress;

    void optionClicked();
    void setIdle(bool idle);
    // Shows the status text in the label: `now`, or when the last was shown 50 ms ago.
    void showPendingStatus(bool now);

    Database& m_database;
    MainWindow* m_mainWindow;
    std::unique_ptr<search::SearchEngine> m_engine;
    bool m_listAll = false;

    QLabel* m_status = nullptr;
    QString m_statusText;
    bool m_statusPending = false;
    QElapsedTimer m_statusShown;
    QLineEdit* m_text = nullptr;
    QButtonGroup* m_options = nullptr;
    QRadioButton* m_theLot = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_help = nullptr;
    QPushButton* m_print = nullptr;
    QTableView* m_list = nullptr;
    SearchResultsModel* m_model = nullptr;
};

} // namespace dovrin::ui
