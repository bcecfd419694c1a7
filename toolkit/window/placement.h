// Where a top-level window may lie: wholly inside the work area of its
// screen, so that its caption can always be grabbed. Pure, for testing
// without a screen.
#pragma once

namespace tessel {

struct ScreenBox {
    int left, top, right, bottom;
    bool operator==(const ScreenBox&) const = default;
};

// The window moved just enough to lie inside the work area, and first
// shrunk to it where it is larger; one that fits already stays as it is.
ScreenBox fit_inside(const ScreenBox& window, const ScreenBox& work);

}  // namespace tessel
