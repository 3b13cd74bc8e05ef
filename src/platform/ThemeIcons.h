#pragma once

#include <QIcon>
#include <QString>

namespace dovrin::platform {

// Makes sure icons come from a real theme: when the platform names none, or names one that
// lacks the usual icons (a bare X server has only "hicolor"), Adwaita is used.
void setUpIconTheme();

// A themed icon by its freedesktop name. Themes that only ship a "-symbolic" variant (Adwaita's
// action icons) get that variant tinted with the palette's text colour, so the icon reads well
// on light and dark palettes alike. An icon found nowhere comes back null.
QIcon themeIcon(const QString& name);

} // namespace dovrin::platform
