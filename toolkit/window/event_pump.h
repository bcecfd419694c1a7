// The event pump: wait_event and its time-out forms, delay, the post-event
// window that wakes a blocked wait, and the common window procedure that
// every toolkit window class uses.
#pragma once

#include "toolkit/types.h"
#include "toolkit/window/event_queue.h"

namespace tessel {

struct WindowRecord;

constexpr int kWaitForever = -1;

EventQueue& main_event_queue();

// An event code from the queue; otherwise the number of the platform
// message taken and dispatched; 0 when nothing came within the time-out
// (-1 waits, 0 only looks, a positive value waits that many milliseconds).
int wait_event(int timeout = kWaitForever);
std::intptr_t event_gadget();
std::intptr_t event_type();
std::intptr_t event_window();

// Short form: data 0, no release procedure, flags 0.
void post_event(int code, std::intptr_t object, std::intptr_t window, std::intptr_t type);
void suppress_events();
void resume_events();

// Sleeps without processing messages; the first call raises the timer
// resolution to 1 ms for good. A negative value returns at once.
void delay(int milliseconds);
bool timer_resolution_raised();

HWND post_event_window();
UINT unlock_message();

LRESULT CALLBACK common_window_procedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam);
// First stage of the common window procedure; answers kNotHandled for
// messages that should get the platform's default processing.
LRESULT translate_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The toolkit window a message belongs to: the first window carrying a
// window number, from `window` up its parents.
struct ToolkitWindow {
    HWND handle;          // null when none of this program was found
    ObjectId number;      // -1 then
    WindowRecord* record; // null then
};
ToolkitWindow find_toolkit_window(HWND window);

// Focus navigation inside the pump.
HACCEL accelerator_table_for(HWND active);
void show_focus_cues(HWND window);
void hide_focus_cues(HWND window);
void move_focus(bool backward);

void start_event_component();
void stop_event_component();

}  // namespace tessel
