#pragma once

#include <QRect>
#include <QString>
#include <cmath>

namespace dovrin::ui {

// Every window is laid out in twips, as its forms were drawn, and stored positions, sizes and
// column widths are in twips too. This is the one place that turns them into pixels and back.
// For now: 15 twips to one logical pixel, so they mean the same at every screen scale.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int toTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
inline int toPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

// Dialog controls are placed in twips.
inline int twips(int value)
{
    return toPixels(value);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Names a control and places it, in twips.
template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace dovrin::ui
