// A bare add-on for the benchmarks: the add-on's window, at its place and
// size, titled with this executable's base name, with no gadgets and no
// menu. Beside the complete add-on it shows what the host and the platform
// cost without the add-on's own build and painting.
#include "addon/addon_window.h"
#include "toolkit/forms/colors.h"
#include "toolkit/process/program_runner.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tessel;
    start_toolkit();
    std::wstring title = program_path();
    title = title.substr(title.find_last_of(L'\\') + 1);
    title.resize(title.size() - 4);  // ".exe"
    open_window(addon::kWindow, addon::kWindowX, addon::kWindowY, addon::kWindowWidth,
                addon::kWindowHeight, title.c_str(), addon::kWindowFlags);
    set_window_color(addon::kWindow, 0x808080);
    while (wait_event() != close_request) {
    }
    stop_toolkit();
    return 0;
}
