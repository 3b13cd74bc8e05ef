#include "FolderChooser.h"

#include <QFileDialog>
#include <optional>

namespace dovrin::platform {

namespace {

std::optional<QString>& nextFolder()
{
    static std::optional<QString> folder;
    return folder;
}

QString withTrailingSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder.append(u'/');
    return folder;
}

} // namespace

QString FolderChooser::browseForFolder(QWidget* owner)
{
    if (std::optional<QString>& next = nextFolder()) {
        const QString folder = *next;
        next.reset();
        return withTrailingSlash(folder);
    }
    const QString folder = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Select a target"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    return withTrailingSlash(folder);
}

void FolderChooser::setNextFolder(const QString& folder)
{
    nextFolder() = folder;
}

void FolderChooser::resetTestHooks()
{
    nextFolder().reset();
}

} // namespace dovrin::platform
