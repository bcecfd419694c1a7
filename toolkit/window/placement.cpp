#include "toolkit/window/placement.h"

#include <algorithm>

namespace tessel {

ScreenBox fit_inside(const ScreenBox& window, const ScreenBox& work) {
    const int width = std::min(window.right - window.left, work.right - work.left);
    const int height = std::min(window.bottom - window.top, work.bottom - work.top);
    const int left = std::clamp(window.left, work.left, work.right - width);
    const int top = std::clamp(window.top, work.top, work.bottom - height);
    return {left, top, left + width, top + height};
}

ScreenBox fit_on_screen(const ScreenBox& outer, const ScreenBox& visible, const ScreenBox& work,
                        bool minimised_or_maximised) {
    if (minimised_or_maximised) return outer;
    const ScreenBox fitted = fit_inside(visible, work);
    return {outer.left + fitted.left - visible.left, outer.top + fitted.top - visible.top,
            outer.right + fitted.right - visible.right, outer.bottom + fitted.bottom - visible.bottom};
}

}  // namespace tessel
