#pragma once

#include "copies/DiskVerifier.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace dovrin {
class Database;
class Prompt;
} // namespace dovrin

namespace dovrin::platform {
class WindowProgress;
}

namespace dovrin::ui {

class CopiesResultsModel;
class MainWindow;

// "Verify against the disk": walks the disk's source, with the status lines, progress bar and
// Cancel of cataloguing, then reports how the disk differs from its catalogue: one row per
// file or folder with its kind, the kinds in groups, their counts in the status bar, and a
// button that opens the update form of the add dialog. The record is never changed.
class VerifyWindow final : public QDialog
{
    Q_OBJECT

public:
    // What exec() returns after "&Update disk...": the disk is to be catalogued again.
    static constexpr int UpdateRequested = 2;

    VerifyWindow(Database& database, int disk, int attributeMask, Prompt& prompt,
                 MainWindow* mainWindow, QWidget* parent = nullptr);
    ~VerifyWindow() override;

    // Asks for the disk when it is not there, walks it and fills the report. False when the
    // disk could not be reached or the walk did not complete; the window is then closed.
    bool verify();

    const copies::VerifyResult& result() const { return m_result; }
    QString statusText() const;
    CopiesResultsModel* results() const { return m_model; }
    QTableView* fileList() const { return m_list; }
    int disk() const { return m_disk; }

    // Escape cancels the walk while it runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void cancel();
    void openResult(int row);

    Database& m_database;
    int m_disk;
    int m_attributeMask;
    Prompt& m_prompt;
    MainWindow* m_mainWindow;
    copies::VerifyResult m_result;
    platform::WindowProgress* m_progress = nullptr;

    QLabel* m_statusLines[2] = {};
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_close = nullptr;
    QTableView* m_list = nullptr;
    QLabel* m_status = nullptr;
    CopiesResultsModel* m_model = nullptr;
};

} // namespace dovrin::ui
