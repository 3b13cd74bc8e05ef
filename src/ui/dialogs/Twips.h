#pragma once

#include <QRect>
#include <QtMath>

namespace dovrin::ui {

// Form geometry is laid out in twips; 15 twips make one logical pixel at every screen scale.
inline constexpr double kTwipsPerPixel = 15.0;

inline int twips(int value)
{
    return qRound(value / kTwipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace dovrin::ui
