// The window callback hook: a procedure that sees raw platform messages
// before the toolkit turns them into events, and may answer them itself.
#pragma once

#include "toolkit/types.h"
#include "toolkit/window/window.h"

namespace tessel {

// Reach 1: the callback also sees messages of windows other than the
// toolkit window itself (child windows that hand their messages on).
constexpr int kReachChildren = 1;
constexpr int kReachOwnWindow = 0;

// Installs the all-windows callback with reach 1; null removes it.
void set_window_callback(WindowCallback callback);
// Fills one window's own callback slot; nothing when the number has no window.
void set_window_callback(ObjectId window, WindowCallback callback, int reach);

void start_callback_record();

// The callback stage of the message translator, for the message of `window`
// whose toolkit window is `toolkit_window` (null when none was found) with
// record `record`. Returns the callback default result to go on.
LRESULT run_callback_stage(HWND toolkit_window, const WindowRecord* record, HWND window,
                           UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace tessel
