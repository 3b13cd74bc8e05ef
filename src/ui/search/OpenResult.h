#pragma once

#include <QString>

namespace dovrin::ui {

class MainWindow;

// Opens a result row (a file, folder or disk key) in the main window, as a double click in
// the search window does: its disk's folders read, its folder selected and listed, and 300 ms
// later the row itself selected. The caller hides its window first.
void openResultInMainWindow(MainWindow* mainWindow, const QString& key);

} // namespace dovrin::ui
