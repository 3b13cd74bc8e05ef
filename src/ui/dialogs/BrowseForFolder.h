#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dovrin::ui {

// Shows the folder chooser owned by a window; returns the folder ending with "/", or empty
// when the user cancelled. Dialogs hold one so that tests can stand in for the user.
using BrowseForFolder = std::function<QString(QWidget* owner)>;

// The desktop's folder chooser.
BrowseForFolder systemFolderChooser();

} // namespace dovrin::ui
