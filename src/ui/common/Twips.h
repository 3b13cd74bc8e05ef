#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace dovrin::ui {

// Every window is laid out in twips, as its forms were drawn, and stored positions, sizes and
// column widths are in twips too. This is the one place that turns them into pixels and back.
//
// The forms were drawn for an 8-point sans serif whose average character is 6 by 13 pixels at
// 96 dpi, 15 twips to a pixel. As with dialog units, a layout follows the font it is shown in:
// horizontal twips scale by the application font's average character width against 6 pixels,
// vertical twips by its line height against 13. A wider desktop font, a larger font or a
// higher font resolution then gives every control the same room for its text.
struct TwipsScale
{
    double x = 1.0;
    double y = 1.0;

    static TwipsScale forFont(const QFont& font);
    friend bool operator==(const TwipsScale&, const TwipsScale&) = default;
};

// The scale of the application font; it follows QApplication::setFont().
TwipsScale twipsScale();

int toPixelsX(double twips);
int toPixelsY(double twips);
double toTwipsX(int pixels);

// The value to store for a size now `pixels` wide that was read as `stored` twips: `stored`
// itself while it still gives those pixels, so that a value read and written back is unchanged.
double keptTwipsX(double stored, int pixels);
double keptTwipsY(double stored, int pixels);

// A rectangle in twips. Its edges are converted, not its size, so controls that touch in twips
// still touch in pixels.
QRect twipsRect(int left, int top, int width, int height);

// Names a control and places it, in twips.
template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace dovrin::ui
