// The host's slot table: one record per add-on, indexed 1 to 3; slot i's
// container is gadget i.
#pragma once

#include <array>
#include <string>

#include "toolkit/process/program_runner.h"

namespace tessel::host {

struct AddonSlot {
    std::wstring name;  // executable base name and exact window title
    ProgramHandle program;
    HWND window;
    HWND container;
};

constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 3;
using SlotTable = std::array<AddonSlot, kLastSlot + 1>;  // slot 0 stays empty

SlotTable& slot_table();
void fill_slot_table();

// Numbers of the host's objects.
constexpr ObjectId kMainWindow = 0;
constexpr ObjectId kInnerSplitter = 4;
constexpr ObjectId kOuterSplitter = 5;

void launch_and_capture(int slot);
// Lays the panes out in the client area that "Split" opened with.
void build_layout(int width, int height);
LRESULT host_window_callback(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// The input shared with the add-ons: only the one the user works in, and
// only while it answers; menu keys handed to the add-on that has the
// focus, "Split"'s caption.
void guard_shared_input();
void release_shared_input();
LRESULT route_shared_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Moves and sizes an embedded window without waiting on its add-on.
void place_embedded_window(int slot, HWND window, int width, int height);
// Called for every message the callback sees; does something only on Wine.
void keep_embedded_drawn(HWND window, UINT message, LPARAM lparam);

// Flags given to SetWindowPos for an embedded add-on window.
constexpr UINT kEmbeddedPlacement = SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;

}  // namespace tessel::host
