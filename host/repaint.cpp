// Wine only: keeps every embedded add-on window drawn inside its pane.
//
// Wine draws a window of another process straight into the host's X window,
// while the host keeps a buffered image of its own in which each pane still
// shows the grey it had before its add-on came. That image is shown again
// over the panes whenever the host shows its window: after the host paints
// or is sized, and when activation, focus or capture moves. (A menu or a
// list of an add-on opening or closing over the panes needs nothing more
// of its own: the pixel checks after each find the panes as their add-ons
// draw them afresh.) On each, the captured windows are asked to draw
// themselves again three times: soon, so that a drag or a resize shows the
// add-ons moving with it, and then only what the host may have covered;
// once the host has settled, for a copy that came after the first; and
// once more well after, for a copy later still, seen when "Split" was
// activated just as its add-ons drew themselves (parts of a pane stayed
// grey in one start in four without it).
// A pane that moves would carry that grey image along with it and show it
// until its add-on had drawn itself again, so a pane is moved without
// copying: the screen keeps the add-on's own picture until the add-on
// repaints, which the move asks of it.
// The host's own paints are shown one by one, so that the image shown is
// only what each paint drew (a bar), never a rectangle spanning panes.
// On Windows the platform composes child windows of other processes itself:
// nothing here runs, and nothing is made.
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
constexpr DWORD kRestartGrain = 5;  // ms: the two above may come this much early
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;

bool on_wine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

// What Wine may have shown of the host's image over the panes after a
// message of one of the host's windows: nothing, what the window painted
// (a child painting is noted with its own area as the paint is taken from
// the queue, and a child sized or moved shows nothing by itself), or the
// whole image.
enum class Shown { nothing, own_paint, whole };

Shown shown_after(HWND window, UINT message) {
    switch (message) {
        case WM_SIZE: case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND: case WM_WINDOWPOSCHANGED:
            return window == window_handle(kMainWindow) ? Shown::whole : Shown::own_paint;
        case WM_NCACTIVATE: case WM_ACTIVATE: case WM_ACTIVATEAPP:
        case WM_SETFOCUS: case WM_KILLFOCUS: case WM_CAPTURECHANGED:
            return Shown::whole;
        default:
            return Shown::nothing;
    }
}

// The slot whose pane this window is, or 0.
int pane_slot(HWND window) {
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (window == slot_table()[static_cast<std::size_t>(i)].container) return i;
    return 0;
}

bool follow_armed = false;

// What the host may have shown over the panes since it last had them
// drawn: everything, or what its own paints drew (in screen pixels), and
// which panes it moved.
struct Covered {
    bool everything = false;
    bool moved[kLastSlot + 1] = {};
    HRGN area = nullptr;  // made on first need, so only on Wine
};
Covered covered;

// Posted to the host's own thread as a paint starts: taken from the queue
// once the paint is done, when what it drew can be shown and the add-ons
// asked to draw over it at once, not a follow period later.
constexpr UINT kShownMessage = WM_APP + 0x3E57;
bool shown_posted = false;

void post_shown() {
    if (!shown_posted) shown_posted = PostThreadMessageW(GetCurrentThreadId(), kShownMessage, 0, 0) != 0;
}

// Wine shows the host's image in rectangles widened to columns of this many
// pixels, so a paint beside a pane shows the host's grey over its edge.
constexpr int kShownColumn = 16;

void combine_with(HRGN region, const RECT& area, int mode) {
    HRGN other = CreateRectRgnIndirect(&area);
    CombineRgn(region, region, other, mode);
    DeleteObject(other);
}

void note_moved_pane(int slot, const WINDOWPOS& place) {
    static POINT last[kLastSlot + 1]{};
    POINT& at = last[slot];
    if (place.flags & SWP_NOMOVE || (at.x == place.x && at.y == place.y)) return;
    at = {place.x, place.y};
    covered.moved[slot] = true;
}

// What a paint about to start may draw: its update region, less the
// add-ons' windows, which the host never draws over (a pane clips its
// children; a splitter draws only its bar).
void note_paint(HWND window) {
    static HRGN area = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(window, area, FALSE) <= NULLREGION) return;
    POINT origin{};
    ClientToScreen(window, &origin);
    OffsetRgn(area, origin.x, origin.y);
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        RECT embedded{};
        if (GetWindowRect(slot_table()[static_cast<std::size_t>(i)].window, &embedded))
            combine_with(area, embedded, RGN_DIFF);
    }
    if (!covered.area) covered.area = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(covered.area, covered.area, area, RGN_OR);
}

// The part of an embedded window that the host may have covered, in the
// window's client pixels; false if none.
bool covered_part(HWND embedded, RECT& part) {
    RECT window{};
    if (!GetWindowRect(embedded, &window)) return false;
    part = window;
    if (!covered.everything) {
        if (!covered.area) return false;
        RECT reach = window;
        InflateRect(&reach, kShownColumn, 0);
        HRGN nearby = CreateRectRgnIndirect(&reach);
        RECT drawn{};
        const bool near_any = CombineRgn(nearby, nearby, covered.area, RGN_AND) > NULLREGION &&
                              GetRgnBox(nearby, &drawn) > NULLREGION;
        DeleteObject(nearby);
        if (!near_any) return false;
        InflateRect(&drawn, kShownColumn, 0);
        if (!IntersectRect(&part, &drawn, &window)) return false;
    }
    MapWindowPoints(nullptr, embedded, reinterpret_cast<POINT*>(&part), 2);
    return true;
}

// Each add-on draws again what the host covered, and only that, so that a
// drag does not have every add-on draw itself in full at each step. A
// moved pane is drawn whole, and only by the follow pass, so that a fast
// drag has its add-on draw at most once a period; `whole` draws every
// add-on whole.
void redraw_covered(bool moved_too, bool whole = false) {
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        HWND embedded = slot_table()[static_cast<std::size_t>(i)].window;
        RECT part{};
        if (!embedded) continue;  // an empty pane; a window that is gone simply fails below
        if (whole || (moved_too && covered.moved[i])) RedrawWindow(embedded, nullptr, nullptr, kRedrawFlags);
        else if (covered_part(embedded, part)) RedrawWindow(embedded, &part, nullptr, kRedrawFlags);
        if (moved_too) covered.moved[i] = false;
    }
    if (whole) return;
    covered.everything = false;
    if (covered.area) SetRectRgn(covered.area, 0, 0, 0, 0);
}

// The follow pass redraws what was covered; the other two redraw every
// add-on whole.
void CALLBACK redraw_embedded(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    if (timer == kFollowTimer) follow_armed = false;
    redraw_covered(timer == kFollowTimer, timer != kFollowTimer);
}

void schedule_redraw(bool everything) {
    HWND main = window_handle(kMainWindow);
    if (!main) return;
    covered.everything = covered.everything || everything;
    // The follow timer is armed once, not restarted, so that it fires
    // during a continuous drag; the other two wait for a pause.
    if (!follow_armed) follow_armed = SetTimer(main, kFollowTimer, kFollowTime, redraw_embedded) != 0;
    // Restarted at most once a few milliseconds: a step of a drag brings
    // dozens of triggers, and each restart is a round trip to Wine's server.
    static DWORD restarted = 0;
    const DWORD now = GetTickCount();
    if (now - restarted < kRestartGrain) return;
    restarted = now;
    SetTimer(main, kSettleTimer, kSettleTime, redraw_embedded);  // restarts it
    SetTimer(main, kLateTimer, kLateTime, redraw_embedded);
}

// Wine shows the host's image by the bounding rectangle of all that was
// painted since it last showed it. Painted in one go, the lower bar and the
// upper bar's grip make a rectangle over both upper panes, which then show
// the host's grey until their add-ons draw again. Showing what is pending
// before each paint keeps every paint to its own rectangle: GetAsyncKeyState
// has Wine show it when no input is waiting.
void show_pending() {
    // Twice: the first call may find input waiting, and only handle it.
    GetAsyncKeyState(VK_LBUTTON);
    GetAsyncKeyState(VK_LBUTTON);
}

LRESULT CALLBACK show_before_paint(int code, WPARAM removed, LPARAM lparam) {
    MSG& message = *reinterpret_cast<MSG*>(lparam);
    if (code != HC_ACTION || removed != PM_REMOVE) return CallNextHookEx(nullptr, code, removed, lparam);
    if (message.message == WM_PAINT) {
        show_pending();
        note_paint(message.hwnd);
        schedule_redraw(false);
        post_shown();
    } else if (message.message == kShownMessage && !message.hwnd) {
        message.message = WM_NULL;  // ours alone
        shown_posted = false;
        show_pending();
        if (!covered.everything) redraw_covered(false);  // else the follow pass does it all
    }
    return CallNextHookEx(nullptr, code, removed, lparam);
}

void watch_paints() {
    static bool watching = false;
    if (watching) return;
    watching = true;
    SetWindowsHookExW(WH_GETMESSAGE, show_before_paint, nullptr, GetCurrentThreadId());
}

}  // namespace

void keep_embedded_drawn(HWND window, UINT message, LPARAM lparam) {
    if (!on_wine()) return;
    const int pane = pane_slot(window);
    if (message == WM_WINDOWPOSCHANGING && pane)
        reinterpret_cast<WINDOWPOS*>(lparam)->flags |= SWP_NOCOPYBITS;
    const Shown shown = shown_after(window, message);
    if (shown == Shown::nothing) return;
    watch_paints();
    // A pane moved without copying must be drawn again by its add-on.
    if (message == WM_WINDOWPOSCHANGED && pane)
        note_moved_pane(pane, *reinterpret_cast<const WINDOWPOS*>(lparam));
    schedule_redraw(shown == Shown::whole);
}

}  // namespace tessel::host
