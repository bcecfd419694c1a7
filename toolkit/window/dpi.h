// Coordinate scaling. The build-wide switch is off in every program of this
// system, so all coordinates are device pixels and these are identities.
#pragma once

#include <windows.h>

namespace tessel {

constexpr bool kDpiScaling = false;
constexpr int kReferenceDpi = 96;

struct ScreenDpi {
    int x = kReferenceDpi;
    int y = kReferenceDpi;
};
ScreenDpi& screen_dpi();  // read once at start-up when scaling is on

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

}  // namespace tessel
