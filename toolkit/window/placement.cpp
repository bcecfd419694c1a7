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

}  // namespace tessel
