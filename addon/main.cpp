// An add-on: one borderless window that waits until it is asked to close.
#include "addon/addon_window.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/event_pump.h"

#ifndef TESSEL_ADDON_VARIANT
#error "TESSEL_ADDON_VARIANT selects the build: 0 Emberpane, 1 Cobaltpane, 2 Saffronpane"
#endif

namespace {

int last_event = 0;
std::intptr_t last_object = 0;
std::intptr_t last_type = 0;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tessel;
    start_toolkit();
    addon::build_window(addon::kVariant);
    do {
        last_event = wait_event();
        last_object = event_gadget();
        last_type = event_type();
    } while (last_event != close_request);
    stop_toolkit();
    return 0;
}
