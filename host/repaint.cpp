// Wine only: keeps every embedded add-on window drawn inside its pane.
//
// Wine draws a window of another process straight into the host's X window,
// while the host keeps a buffered image of its own in which each pane still
// shows the grey it had before its add-on came. That image is shown again
// over the panes whenever the host shows its window: after the host paints
// or is sized, when activation or focus moves, and when a pop-up of an
// add-on (a menu, a combo box's list) opens or closes over it. The last
// happens without any message to the host, so the platform's out-of-context
// window events are watched too; they cost nothing while nothing happens.
// On each, every captured window is asked to draw itself again three
// times: soon, so that a drag or a resize shows the add-ons moving with it;
// once the host has settled, for a copy that came after the first; and
// once more well after, for a copy later still, seen when "Split" was
// activated just as its add-ons drew themselves (parts of a pane stayed
// grey in one start in four without it).
// A pane that moves would carry that grey image along with it and show it
// until its add-on had drawn itself again, so a pane is moved without
// copying: the screen keeps the add-on's own picture until the add-on
// repaints, which the move asks of it.
// On Windows the platform composes child windows of other processes itself,
// and nothing here runs.
#include "host/slots.h"
#include "toolkit/window/window.h"

namespace tessel::host {
namespace {

constexpr UINT_PTR kFollowTimer = 0x7E55;
constexpr UINT_PTR kSettleTimer = 0x7E56;
constexpr UINT_PTR kLateTimer = 0x7E57;
constexpr UINT kFollowTime = 15;   // ms: at most this often while things move
constexpr UINT kSettleTime = 100;  // ms after the host's last trigger
constexpr UINT kLateTime = 500;    // ms after the host's last trigger
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;

bool on_wine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

// Messages of the host's windows after which Wine may have shown the
// host's image over the panes.
bool may_cover_panes(UINT message) {
    switch (message) {
        case WM_SIZE: case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND:
        case WM_NCACTIVATE: case WM_ACTIVATE: case WM_ACTIVATEAPP:
        case WM_SETFOCUS: case WM_KILLFOCUS: case WM_WINDOWPOSCHANGED: case WM_CAPTURECHANGED:
            return true;
        default:
            return false;
    }
}

bool is_pane(HWND window) {
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (window == slot_table()[static_cast<std::size_t>(i)].container) return true;
    return false;
}

bool follow_armed = false;

void CALLBACK redraw_embedded(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    if (timer == kFollowTimer) follow_armed = false;
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (HWND embedded = slot_table()[static_cast<std::size_t>(i)].window)
            RedrawWindow(embedded, nullptr, nullptr, kRedrawFlags);  // fails if it is gone
}

void schedule_redraw() {
    HWND main = window_handle(kMainWindow);
    if (!main) return;
    // The follow timer is armed once, not restarted, so that it fires
    // during a continuous drag; the other two wait for a pause.
    if (!follow_armed) follow_armed = SetTimer(main, kFollowTimer, kFollowTime, redraw_embedded) != 0;
    SetTimer(main, kSettleTimer, kSettleTime, redraw_embedded);  // restarts it
    SetTimer(main, kLateTimer, kLateTime, redraw_embedded);
}

// A menu, a list or another top-level window of any program shown, hidden
// or brought to the front: whatever it covered is repaired from the host's
// image. Carets, cursors and the controls inside a window are no such thing.
void CALLBACK note_window_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG,
                                DWORD, DWORD) {
    if (object != OBJID_WINDOW || !window) return;
    const bool shown_or_hidden = event == EVENT_OBJECT_SHOW || event == EVENT_OBJECT_HIDE;
    if (shown_or_hidden && GetAncestor(window, GA_PARENT) != GetDesktopWindow()) return;
    schedule_redraw();
}

void watch_window_events() {
    static bool watching = false;
    if (watching) return;
    watching = true;
    constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT;
    SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MENUPOPUPEND, nullptr, note_window_event,
                    0, 0, kFlags);
    SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE, nullptr, note_window_event, 0, 0, kFlags);
}

}  // namespace

void keep_embedded_drawn(HWND window, UINT message, LPARAM lparam) {
    if (!on_wine()) return;
    if (message == WM_WINDOWPOSCHANGING && is_pane(window))
        reinterpret_cast<WINDOWPOS*>(lparam)->flags |= SWP_NOCOPYBITS;
    if (!may_cover_panes(message)) return;
    watch_window_events();
    schedule_redraw();
}

}  // namespace tessel::host
