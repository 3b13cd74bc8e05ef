#include "Twips.h"

#include <QApplication>
#include <QFontMetricsF>
#include <cmath>

namespace dovrin::ui {

namespace {

constexpr double kTwipsPerPixel = 15.0;
// The average character of the font the layouts were drawn for, in pixels at 96 dpi.
constexpr double kDrawnCharWidth = 6.0;
constexpr double kDrawnCharHeight = 13.0;

int toPixels(double twips, double scale)
{
    return int(std::lround(twips * scale / kTwipsPerPixel));
}

double toTwips(int pixels, double scale)
{
    return pixels * kTwipsPerPixel / scale;
}

double kept(double stored, int pixels, double scale)
{
    return toPixels(stored, scale) == pixels ? stored : std::round(toTwips(pixels, scale));
}

} // namespace

TwipsScale TwipsScale::forFont(const QFont& font)
{
    // The average width of the letters, as dialog units take it.
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(letters) / letters.size();
    const double height = metrics.height();
    if (width <= 0 || height <= 0)
        return {};
    return {width / kDrawnCharWidth, height / kDrawnCharHeight};
}

TwipsScale twipsScale()
{
    // Measured once per application font: layouts convert many values in a row.
    static QFont measured;
    static TwipsScale scale;
    static bool valid = false;
    const QFont font = QApplication::font();
    if (!valid || font != measured || font.resolveMask() != measured.resolveMask()) {
        measured = font;
        scale = TwipsScale::forFont(font);
        valid = true;
    }
    return scale;
}

int toPixelsX(double twips)
{
    return toPixels(twips, twipsScale().x);
}

int toPixelsY(double twips)
{
    return toPixels(twips, twipsScale().y);
}

double toTwipsX(int pixels)
{
    return toTwips(pixels, twipsScale().x);
}

double keptTwipsX(double stored, int pixels)
{
    return kept(stored, pixels, twipsScale().x);
}

double keptTwipsY(double stored, int pixels)
{
    return kept(stored, pixels, twipsScale().y);
}

QRect twipsRect(int left, int top, int width, int height)
{
    const int x = toPixelsX(left);
    const int y = toPixelsY(top);
    return QRect(x, y, toPixelsX(left + width) - x, toPixelsY(top + height) - y);
}

} // namespace dovrin::ui
