#include "DatabaseFolder.h"

#include <QDir>
#include <QFileInfo>

namespace dovrin {

DatabaseFolder::DatabaseFolder(const QString& nativeFolder) : m_root(normalizedFolder(nativeFolder))
{
}

QString DatabaseFolder::nativePath(const QString& databaseRelative) const
{
    QString relative = toNativeSeparators(databaseRelative);
    if (relative.startsWith(QLatin1String("./")))
        relative.remove(0, 2);
    return m_root + relative;
}

QString DatabaseFolder::recordFile(const QString& recordPath, const char* extension) const
{
    return nativePath(recordPath + QLatin1String(extension));
}

QString toNativeSeparators(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

bool isUsableFolder(const QString& nativeFolder)
{
    if (nativeFolder.isEmpty())
        return false;
    const QFileInfo info(nativeFolder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString normalizedFolder(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QString path = folder;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace dovrin
