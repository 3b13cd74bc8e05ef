#pragma once

#include <QDialog>

class QGridLayout;
class QLabel;

namespace dovrin {
struct DiskEntry;
class DatabaseFolder;
} // namespace dovrin

namespace dovrin::ui {

// What one pass over a disk's file-list file finds.
struct DiskContents
{
    int folders = 0; // below the root
    int files = 0;
    qint64 totalSize = 0;
};
DiskContents countDiskContents(const QString& fileListPath);

// "Disk information": the facts recorded for one disk, with its folder and file counts.
// Any click in the window closes it.
class DiskInfoDialog final : public QDialog
{
    Q_OBJECT

public:
    DiskInfoDialog(const DiskEntry& disk, const DatabaseFolder& folder, QWidget* parent = nullptr);

    QString value(const QString& labelName) const;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void count();
    QLabel* addRow(const QString& caption, const char* valueName);

    QString m_fileListPath;
    bool m_foldersOnly = false;
    bool m_counted = false;
    QGridLayout* m_grid = nullptr;
};

} // namespace dovrin::ui
