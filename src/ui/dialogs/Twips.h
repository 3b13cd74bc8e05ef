#pragma once

#include "mainwindow/Twips.h"

#include <QRect>

namespace dovrin::ui {

// Dialog controls are placed in twips, as the forms were drawn.
inline int twips(int value)
{
    return toPixels(value);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace dovrin::ui
