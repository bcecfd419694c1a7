// Coordinate scaling. The build-wide switch is on: every program declares
// itself DPI aware, so the platform stretches nothing and the toolkit
// scales the coordinates and sizes it is given, in units of 1/96 inch, to
// device pixels itself (read once, at start-up). At 96 DPI these are
// identities.
#pragma once

#include <windows.h>

namespace tessel {

constexpr bool kDpiScaling = true;
constexpr int kReferenceDpi = 96;

struct ScreenDpi {
    int x = kReferenceDpi;
    int y = kReferenceDpi;
};
ScreenDpi& screen_dpi();  // read once, at the first use, when scaling is on

inline int scale_x(int value) {
    return kDpiScaling ? MulDiv(value, screen_dpi().x, kReferenceDpi) : value;
}
inline int scale_y(int value) {
    return kDpiScaling ? MulDiv(value, screen_dpi().y, kReferenceDpi) : value;
}
// Back to the caller's units, rounded half up.
inline int unscale_x(int value) {
    return kDpiScaling ? MulDiv(value, kReferenceDpi, screen_dpi().x) : value;
}
inline int unscale_y(int value) {
    return kDpiScaling ? MulDiv(value, kReferenceDpi, screen_dpi().y) : value;
}

// Back to units for a pixel value that will be scaled again, lowered by one
// where scaling it back would overshoot the pixels.
inline int units_within_x(int pixels) {
    const int units = unscale_x(pixels);
    return scale_x(units) > pixels ? units - 1 : units;
}
inline int units_within_y(int pixels) {
    const int units = unscale_y(pixels);
    return scale_y(units) > pixels ? units - 1 : units;
}

}  // namespace tessel
