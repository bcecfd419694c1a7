// An add-on: one borderless window that waits until it is asked to close.
#include "addon/variants.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace {

constexpr tessel::ObjectId kWindow = 0;
constexpr tessel::ObjectId kTree = 6;
constexpr int kWindowX = 1332, kWindowY = 203, kWindowWidth = 553, kWindowHeight = 712;
constexpr unsigned kPopup = WS_POPUP;
constexpr int kTreeFontPoints = 12;

int last_event = 0;
std::intptr_t last_object = 0;
std::intptr_t last_type = 0;

void build_window() {
    using namespace tessel;
    open_window(kWindow, kWindowX, kWindowY, kWindowWidth, kWindowHeight, addon::kVariant.title,
                kPopup);
    // The caption line, combo boxes, buttons, tree and editor take their
    // places here, before the tree's font.
    const std::intptr_t font = load_font(kAllocateNumber, L"Arial", kTreeFontPoints);
    set_gadget_font(kTree, as_native(font_handle(font)));
    set_window_color(kWindow, addon::kVariant.window_color);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tessel;
    start_toolkit();
    build_window();
    do {
        last_event = wait_event();
        last_object = event_gadget();
        last_type = event_type();
    } while (last_event != close_request);
    stop_toolkit();
    return 0;
}
