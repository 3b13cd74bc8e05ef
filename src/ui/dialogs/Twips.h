#pragma once

#include "mainwindow/Twips.h"

#include <QRect>
#include <QString>

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

// Names a control and places it, in twips.
template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace dovrin::ui
