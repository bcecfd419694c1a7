// Tessel: shows three add-on programs as the panes of one window.
#include "host/slots.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/callback.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace {

constexpr unsigned kMainWindowFlags = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX |
                                      tessel::kWindowCentreScreen;
static_assert(kMainWindowFlags == 0xCD0001);
constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
constexpr int kNoMainWindow = 1;

int loop_index = 0;
int last_event = 0;

void shut_down_addons() {
    auto& slots = tessel::host::slot_table();
    for (loop_index = tessel::host::kFirstSlot; loop_index <= tessel::host::kLastSlot;
         ++loop_index) {
        const tessel::ProgramHandle program = slots[static_cast<std::size_t>(loop_index)].program;
        if (!program) continue;
        tessel::kill_program(program);
        tessel::close_program(program);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tessel;
    start_toolkit();
    host::fill_slot_table();
    if (!open_window(host::kMainWindow, 0, 0, kClientWidth, kClientHeight, L"Split",
                     kMainWindowFlags)) {
        // Without its window nothing could ever ask the host to close.
        stop_toolkit();
        return kNoMainWindow;
    }
    // The client area as opened, which the screen's work area may have made
    // smaller than asked: the one the panes are laid out in.
    RECT opened{};
    GetClientRect(window_handle(host::kMainWindow), &opened);
    set_window_callback(host::host_window_callback);
    for (loop_index = host::kFirstSlot; loop_index <= host::kLastSlot; ++loop_index)
        host::launch_and_capture(loop_index);
    host::build_layout(opened.right, opened.bottom);
    host::guard_shared_input();
    do last_event = wait_event();
    while (last_event != close_request);

    host::release_shared_input();
    shut_down_addons();
    stop_toolkit();
    return 0;
}
