// The keyboard that "Split" shares with its add-ons.
//
// A window made the child of a window of another thread has the input of
// the two threads attached, on Windows and on Wine alike: one focus, one
// active window, one key state. That is what lets a control of an add-on
// take the keyboard inside a pane, so the host keeps it, and answers here
// for what sharing brings:
// - A hung add-on. With input shared, moving activation or the focus sends
//   messages to the add-on's windows and waits for them, so an add-on that
//   stops taking messages would freeze "Split" and the other panes. Once a
//   second the host asks the platform whether each add-on is hung (no
//   waiting on it), detaches one that is and attaches it again once it
//   answers. An add-on that was stopped while waiting for input still
//   counts as waiting, so the one that holds the shared focus or activation
//   is posted a no-op message on each check: a stopped one leaves it unread
//   and is called hung 5 s after it last took a message.
// - Clicks on the host's own windows (the bars, the frame) while the user
//   works in a pane do not activate "Split" again: the focus stays in the
//   add-on's control, and nothing is sent to an add-on that may be hung.
// - Keyboard menus. The platform sends a control's menu key (Alt, F10) to
//   its root window, "Split", which has no menu bar; it is posted on to the
//   add-on window whose control has the focus, whose own default handling
//   opens its menu.
// - The caption. Focus in an add-on's control makes the add-on's window the
//   active one; "Split" keeps its caption active while the active window is
//   inside it, as with any window's own controls.
#include "host/slots.h"
#include "toolkit/window/window.h"

namespace tessel::host {
namespace {

constexpr UINT_PTR kGuardTimer = 0x7E60;
constexpr UINT kGuardPeriod = 1000;  // ms: the platform calls a window hung after 5 s

bool detached[kLastSlot + 1] = {};
DWORD addon_threads[kLastSlot + 1] = {};  // looked up once a window is captured

HWND main_window() { return window_handle(kMainWindow); }

// Whether a window is "Split" or inside it, whatever its style: an add-on's
// window keeps its pop-up style in its pane.
bool inside_split(HWND window) {
    return window && GetAncestor(window, GA_ROOT) == main_window();
}

// The focus, activation and capture of a thread's input; all none if it
// cannot be read.
GUITHREADINFO input_of(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) info = GUITHREADINFO{};
    return info;
}

// Whether the add-on's thread holds the shared focus, activation or capture.
bool holds(const GUITHREADINFO& shared, DWORD addon_thread) {
    for (HWND window : {shared.hwndFocus, shared.hwndActive, shared.hwndCapture})
        if (window && GetWindowThreadProcessId(window, nullptr) == addon_thread) return true;
    return false;
}

// Detached, the hung add-on takes its focus and activation along: were it
// the active one, none is, and the user's next click activates "Split".
bool detach(DWORD addon_thread) {
    return AttachThreadInput(addon_thread, GetCurrentThreadId(), FALSE) != FALSE;
}

// Attached again, the add-on's own focus is the shared one's only where
// the user has not gone on elsewhere. Its control still believes it has
// the focus, and a click into it would not take it, so the focus visits
// it and comes back: the control hears that it lost it.
bool attach(DWORD addon_thread) {
    HWND own = input_of(addon_thread).hwndFocus;
    if (!AttachThreadInput(addon_thread, GetCurrentThreadId(), TRUE)) return false;
    HWND shared = GetFocus();
    if (!own || own == shared) return true;
    SetFocus(own);
    if (shared && shared != main_window()) SetFocus(shared);
    return true;
}

// Four round trips to the platform a second while nothing happens: the
// shared input once, and whether each add-on is hung (never, once its
// window is gone).
void guard_slot(int i, const GUITHREADINFO& shared) {
    HWND embedded = slot_table()[static_cast<std::size_t>(i)].window;
    DWORD& thread = addon_threads[i];
    if (embedded && !thread) thread = GetWindowThreadProcessId(embedded, nullptr);
    if (!thread || thread == GetCurrentThreadId()) return;
    const bool hung = IsHungAppWindow(embedded) != FALSE;
    if (hung == detached[i]) {
        if (!hung && holds(shared, thread)) PostMessageW(embedded, WM_NULL, 0, 0);
        return;
    }
    if (hung ? detach(thread) : attach(thread)) detached[i] = hung;
}

void CALLBACK guard_addons(HWND, UINT, UINT_PTR, DWORD) {
    const GUITHREADINFO shared = input_of(GetCurrentThreadId());
    for (int i = kFirstSlot; i <= kLastSlot; ++i) guard_slot(i, shared);
}

// The add-on window, captured in a pane, that holds the keyboard focus.
HWND focused_addon() {
    HWND focus = GetFocus();
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        HWND embedded = slot_table()[static_cast<std::size_t>(i)].window;
        if (focus && embedded && (focus == embedded || IsChild(embedded, focus))) return embedded;
    }
    return nullptr;
}

// Whether "Split" needs no activation by a click on its own windows: a
// window inside it is already the active one.
bool keeps_activation() {
    HWND front = GetForegroundWindow();
    return front != main_window() && inside_split(front);
}

// Active while the window in front is "Split" or a window inside it.
LRESULT draw_caption(HWND main, WPARAM active, LPARAM lparam) {
    const bool inside = active || inside_split(GetForegroundWindow()) ||
                        inside_split(reinterpret_cast<HWND>(lparam));
    return DefWindowProcW(main, WM_NCACTIVATE, inside ? TRUE : FALSE, lparam);
}

}  // namespace

void guard_shared_input() {
    HWND main = main_window();
    if (!main) return;
    // The last add-on to show its window took the shared activation; "Split"
    // takes it back, so that no add-on holds the input, and none is woken
    // by the checks, until the user clicks into one.
    SetActiveWindow(main);
    SetTimer(main, kGuardTimer, kGuardPeriod, guard_addons);
}

LRESULT route_shared_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND main = main_window();
    switch (message) {
        case WM_MOUSEACTIVATE:
            if (inside_split(window) && keeps_activation()) return MA_NOACTIVATE;
            break;
        case WM_SYSCOMMAND:
            if (window == main && (wparam & 0xFFF0) == SC_KEYMENU)
                if (HWND addon = focused_addon()) {
                    PostMessageW(addon, WM_SYSCOMMAND, wparam, lparam);
                    return 0;
                }
            break;
        case WM_NCACTIVATE:
            if (window == main) return draw_caption(main, wparam, lparam);
            break;
        default:
            break;
    }
    return kCallbackDefault;
}

}  // namespace tessel::host
