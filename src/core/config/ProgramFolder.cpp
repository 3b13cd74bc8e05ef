#include "ProgramFolder.h"

#include "store/DatabaseFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace dovrin {

QString programFolder()
{
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString programFolderFor(const QString& executableFolder)
{
    const QFileInfo info(executableFolder);
    if (!executableFolder.isEmpty() && info.isDir() && info.isWritable())
        return normalizedFolder(executableFolder);

    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return {};
    const QString folder = dataHome + QStringLiteral("/dovrin");
    if (!QDir().mkpath(folder))
        return {};
    return normalizedFolder(folder);
}

} // namespace dovrin
