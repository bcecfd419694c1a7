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

// Where the window's outer box goes so that its visible frame fits the
// work area: the margins between the two (on Windows with composition,
// the invisible resize borders) are kept. A minimised or maximised window
// is the platform's to place, and stays as it is.
ScreenBox fit_on_screen(const ScreenBox& outer, const ScreenBox& visible, const ScreenBox& work,
                        bool minimised_or_maximised);

}  // namespace tessel
