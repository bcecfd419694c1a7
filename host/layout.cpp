// The pane layout and the callback that keeps every embedded window the
// size of its pane.
#include "host/slots.h"
#include "toolkit/gadgets/splitter.h"
#include "toolkit/window/window.h"

namespace tessel::host {
namespace {

constexpr int kInnerWidth = 500, kInnerHeight = 300, kInnerPosition = 350;
constexpr int kOuterWidth = 800, kOuterHeight = 600, kOuterPosition = 500;
constexpr unsigned kInnerFlags = kSplitSideBySide | kSplitThick;
constexpr unsigned kOuterFlags = kSplitThick;

void fit_embedded_window(int i, const AddonSlot& slot) {
    // The pane's own client area, in device pixels, whatever the scale.
    RECT pane{};
    GetClientRect(slot.container, &pane);
    // Never waits on the add-on; a window that is gone simply fails.
    place_embedded_window(i, slot.window, pane.right, pane.bottom);
}

}  // namespace

void build_layout(int width, int height) {
    create_splitter(kInnerSplitter, 0, 0, kInnerWidth, kInnerHeight, 1, 2, kInnerFlags);
    set_gadget_state(kInnerSplitter, kInnerPosition);
    create_splitter(kOuterSplitter, 0, 0, kOuterWidth, kOuterHeight, kInnerSplitter, 3,
                    kOuterFlags);
    set_gadget_state(kOuterSplitter, kOuterPosition);
    // Where the screen's work area made "Split" smaller than asked (a high
    // DPI on a small screen), the panes take its proportions to the client
    // area it has; a size the user gave it since comes with its next change.
    place_gadget(kOuterSplitter, 0, 0, width, height);
}

LRESULT host_window_callback(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result = kCallbackDefault;
    keep_embedded_drawn(window, message, lparam);
    if (const LRESULT routed = route_shared_input(window, message, wparam, lparam);
        routed != kCallbackDefault)
        return routed;
    if (message != WM_SIZE) return result;
    if (window == window_handle(kMainWindow)) {
        // The client's size in device pixels, as the splitters lay out: the
        // panes tile it exactly at any scale.
        place_gadget(kOuterSplitter, 0, 0, LOWORD(lparam), HIWORD(lparam));
        return 0;
    }
    const SlotTable& slots = slot_table();
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        const AddonSlot& slot = slots[static_cast<std::size_t>(i)];
        if (window != slot.container || !slot.window) continue;
        fit_embedded_window(i, slot);
        result = 0;
    }
    return result;
}

}  // namespace tessel::host
