#pragma once

#include <QString>

class QWidget;

namespace dovrin::platform {

// The folder chooser titled "Select a target", offering folders only.
class FolderChooser
{
public:
    // The chosen folder ending with "/", or the empty text when the user cancelled.
    static QString browseForFolder(QWidget* owner);

    // Test hook: the next call returns this folder (made to end with "/" unless empty)
    // without showing the dialog. An empty text stands for a cancelled chooser.
    static void setNextFolder(const QString& folder);
    static void resetTestHooks();
};

} // namespace dovrin::platform
