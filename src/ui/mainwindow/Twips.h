#pragma once

#include <cmath>

namespace dovrin::ui {

// Stored positions and sizes are in twips: 15 twips to one logical pixel, so they mean the
// same at every screen scale.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int toTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
inline int toPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

} // namespace dovrin::ui
