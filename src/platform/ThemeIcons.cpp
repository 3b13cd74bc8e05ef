#include "ThemeIcons.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStandardPaths>

namespace dovrin::platform {

namespace {

const QString kFallbackTheme = QStringLiteral("Adwaita");

// Symbolic icons are drawn in one dark grey; repaint their shape in `color`.
QPixmap tinted(const QPixmap& source, const QColor& color)
{
    QPixmap result(source.size());
    result.setDevicePixelRatio(source.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, source);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}

} // namespace

void setUpIconTheme()
{
    // Some platform plugins (offscreen, minimal) look for themes in Qt's resources only.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList dataDirs =
        QString::fromLocal8Bit(qgetenv("XDG_DATA_DIRS")).split(u':', Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    dataDirs.prepend(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    for (const QString& dir : dataDirs) {
        const QString icons = dir + QLatin1String("/icons");
        if (!paths.contains(icons) && QFileInfo(icons).isDir())
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(kFallbackTheme);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor") ||
        !QIcon::hasThemeIcon(QStringLiteral("folder")))
        QIcon::setThemeName(kFallbackTheme);
}

QIcon themeIcon(const QString& name)
{
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    const QIcon symbolic = QIcon::fromTheme(name + QLatin1String("-symbolic"));
    if (symbolic.isNull())
        return QIcon();
    const QColor color = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        const QPixmap pixmap = symbolic.pixmap(size, size);
        if (!pixmap.isNull())
            icon.addPixmap(tinted(pixmap, color));
    }
    return icon;
}

} // namespace dovrin::platform
