#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace dovrin {
class Database;
class Prompt;
struct Settings;
} // namespace dovrin

namespace dovrin::platform {
class WindowProgress;
}

namespace dovrin::ui {

class DiskBrowser;

// "Catalogue a disk": a new disk into a catalogue, or an existing disk again ("Update a disk").
// The scan runs inside the dialog, which grows to show its status lines and progress bar;
// Cancel and the close box stop a running scan instead of closing the dialog.
class AddDiskDialog final : public QDialog
{
    Q_OBJECT

public:
    AddDiskDialog(Database& database, const Settings& settings, Prompt& prompt,
                  DiskBrowser& browser, QWidget* parent = nullptr);
    ~AddDiskDialog() override;

    // The update form for the disk of table entry `index`: the disk chosen in the list, its
    // source path, and the inputs that would make it another disk switched off.
    void setUpdateDisk(int index);

    bool isScanning() const { return m_progress != nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fillLists();
    void browse();
    void takeFolderName();
    void takeVolumeName();
    void diskNameChanged(const QString& text);
    void diskChosen(int index);
    void cancel();
    void reject() override;
    void catalogue();
    void setInputEnabled(bool enabled);

    Database& m_database;
    const Settings& m_settings;
    Prompt& m_prompt;
    DiskBrowser& m_browser;
    platform::WindowProgress* m_progress = nullptr;

    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_onlyDirs = nullptr;
    QCheckBox* m_fingerprint = nullptr;
    QComboBox* m_catalogues = nullptr;
    QRadioButton* m_newDisk = nullptr;
    QLineEdit* m_diskName = nullptr;
    QPushButton* m_folderName = nullptr;
    QPushButton* m_volumeName = nullptr;
    QRadioButton* m_existingDisk = nullptr;
    QComboBox* m_diskList = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_status2 = nullptr;
    QProgressBar* m_bar = nullptr;
};

} // namespace dovrin::ui
