#include "ProgramFolder.h"

#include "BuildInfo.h"
#include "store/DatabaseFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace dovrin {

namespace {

QString dataFolderFor(const QString& executableFolder)
{
    return QDir::cleanPath(executableFolder + u'/' + QLatin1String(build::kDataFolderFromBin));
}

} // namespace

QString programFolder()
{
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString programFolderFor(const QString& executableFolder)
{
    const QFileInfo info(executableFolder);
    const bool installed = QFileInfo(dataFolderFor(executableFolder)).isDir();
    if (!executableFolder.isEmpty() && info.isDir() && info.isWritable() && !installed)
        return normalizedFolder(executableFolder);

    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return {};
    const QString folder = dataHome + QStringLiteral("/dovrin");
    if (!QDir().mkpath(folder))
        return {};
    return normalizedFolder(folder);
}

QString helpPagePath()
{
    return helpPagePathFor(QCoreApplication::applicationDirPath());
}

QString helpPagePathFor(const QString& executableFolder)
{
    if (executableFolder.isEmpty())
        return {};
    for (const QString& folder : {executableFolder, dataFolderFor(executableFolder)}) {
        const QString path = QDir::cleanPath(folder + QStringLiteral("/Help.html"));
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace dovrin
