#include "FileIcons.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace dovrin::platform {

namespace {

// Without a desktop session (a bare X server, the offscreen platform) Qt's theme is
// "hicolor", which has no file-type icons; fall back to the theme every Debian desktop has.
void ensureIconTheme()
{
    static const bool done = [] {
        const QString fallback = QIcon::fallbackThemeName();
        if (!QIcon::hasThemeIcon(QStringLiteral("folder")) &&
            (fallback.isEmpty() || fallback == QLatin1String("hicolor")))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(done);
}

QIcon builtInIcon(QStyle::StandardPixmap pixmap)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    return QApplication::style()->standardIcon(pixmap);
}

QIcon themeIcon(const QString& name, const QString& fallbackName, QStyle::StandardPixmap pixmap)
{
    ensureIconTheme();
    QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull() && !fallbackName.isEmpty())
        icon = QIcon::fromTheme(fallbackName);
    if (icon.isNull())
        icon = builtInIcon(pixmap);
    return icon;
}

// The icon of a file type. The type comes from the extension alone, so every name that
// shares an extension key gets the same icon whichever of them was listed first.
QIcon fileTypeIcon(QStringView name)
{
    static const QMimeDatabase mimeDatabase;
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString probe =
        dot == -1 ? QStringLiteral("file") : QStringLiteral("file") + name.sliced(dot).toString();
    const QMimeType type = mimeDatabase.mimeTypeForFile(probe, QMimeDatabase::MatchExtension);
    return themeIcon(type.iconName(), type.genericIconName(), QStyle::SP_FileIcon);
}

} // namespace

QString extensionKey(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot == -1 ? QString() : name.sliced(dot).toString().toUpper();
}

int getFileIcon(const QString& name, FileIconKind kind, BoxImages& images)
{
    switch (kind) {
    case FileIconKind::File: {
        const QString key = extensionKey(name);
        if (const int index = images.indexOf(key))
            return index;
        const QIcon icon = fileTypeIcon(name);
        return icon.isNull() ? 0 : images.add(key, icon);
    }
    case FileIconKind::OpenFolder:
    case FileIconKind::ClosedFolder: {
        const bool open = kind == FileIconKind::OpenFolder;
        const QString key = open ? QStringLiteral("open") : QStringLiteral("closed");
        if (const int index = images.indexOf(key))
            return index;
        const QIcon icon = open
                               ? themeIcon(QStringLiteral("folder-open"), QStringLiteral("folder"),
                                           QStyle::SP_DirOpenIcon)
                               : themeIcon(QStringLiteral("folder"), QString(), QStyle::SP_DirIcon);
        return icon.isNull() ? 0 : images.add(key, icon);
    }
    }
    return 0;
}

void addStandardImages(BoxImages& images)
{
    images.add(QStringLiteral("catalogue"),
               themeIcon(QStringLiteral("folder-documents"), QStringLiteral("folder"),
                         QStyle::SP_DirIcon));
    images.add(QStringLiteral("disk"),
               themeIcon(QStringLiteral("drive-optical"), QStringLiteral("drive-harddisk"),
                         QStyle::SP_DriveCDIcon));
    getFileIcon(QString(), FileIconKind::ClosedFolder, images);
    getFileIcon(QString(), FileIconKind::OpenFolder, images);
}

} // namespace dovrin::platform
