#include "SourcePathNames.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace dovrin::ui {

namespace {
bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}
} // namespace

QString withTrailingSeparator(const QString& path)
{
    if (path.isEmpty() || isSeparator(path.back()))
        return path;
    return path + u'/';
}

QString lastFolderName(const QString& path)
{
    // The name between the last two separators.
    qsizetype end = path.size() - 1;
    while (end >= 0 && !isSeparator(path[end]))
        --end;
    qsizetype start = end - 1;
    while (start >= 0 && !isSeparator(path[start]))
        --start;
    if (start < 0)
        return {};
    const QString name = path.mid(start + 1, end - start - 1);
    // A drive such as "D:" is a root, not a folder.
    return name.endsWith(u':') ? QString() : name;
}

QString volumeName(const QString& path)
{
    QString folder = path;
    if (folder == u'~' || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    const QStorageInfo storage(folder);
    if (!storage.isValid())
        return {};
    if (!storage.name().isEmpty())
        return storage.name();
    return QFileInfo(QDir::cleanPath(storage.rootPath())).fileName();
}

} // namespace dovrin::ui
