#pragma once

#include "DiskBrowser.h"

namespace dovrin::ui {

class MainWindow;

// The main window as the add dialog sees it.
class MainWindowDiskBrowser final : public DiskBrowser
{
public:
    explicit MainWindowDiskBrowser(MainWindow& window) : m_window(window) {}

    void prepareForDisk() override;
    void showDisk(const QString& diskKey) override;
    void fillFileList(const QString& key) override;
    void showHelp() override;

private:
    MainWindow& m_window;
};

} // namespace dovrin::ui
