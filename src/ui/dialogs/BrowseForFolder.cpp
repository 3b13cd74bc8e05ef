#include "BrowseForFolder.h"

#include <QFileDialog>

namespace dovrin::ui {

BrowseForFolder systemFolderChooser()
{
    return [](QWidget* owner) {
        QString folder = QFileDialog::getExistingDirectory(
            owner, QStringLiteral("Select a target"), QString(), QFileDialog::ShowDirsOnly);
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        return folder;
    };
}

} // namespace dovrin::ui
