// The keyboard that "Split" shares with its add-ons.
//
// A window made the child of a window of another thread has the input of
// the two threads attached, on Windows and on Wine alike: one focus, one
// active window, one key state. That is what lets a control of an add-on
// take the keyboard inside a pane. But with input attached, a focus or
// activation change sends messages between the threads and waits for them,
// and attachment is transitive: with every add-on attached, a click from
// one pane into another waits on the add-on left, and an add-on that
// stopped answering would hold up "Split" and every pane. So:
// - One owner. Only the add-on the user works in shares "Split"'s input;
//   the others are detached once captured. A press of a mouse button is
//   seen by a low-level hook before the click is delivered: over a pane
//   (or a menu or list of its add-on) the old owner is detached and that
//   add-on attached, so no focus change is ever a message between two
//   add-ons (AttachThreadInput itself sends none). A detached add-on keeps
//   its own focus, and with it a caret and a control that believes it has
//   the keyboard; a thread of its own takes that focus away, since it may
//   have to wait for the add-on.
// - Pings. Once a second while the user is at work, each add-on is sent a
//   no-op that the host does not wait for (SendMessageCallback); one that
//   owes an answer for 1.5 s, whatever it was doing, counts as stopped: it
//   is detached if it owns the input, and not attached by a click until it
//   answers. Before an action
//   on "Split" itself (a system command: move, size, maximise, close) the
//   owner must answer at once (SendMessageTimeout), or is detached first.
// - Leaving. When another program comes in front, the owner is detached,
//   so that coming back activates "Split" without sending to an add-on.
// - Held threads. Each add-on's thread is held open, so that its id cannot
//   pass to another thread, and its window checked to be still its own
//   before every attach.
// - Placement. Windows moves a window of a thread attached to the caller's
//   synchronously even when asked to post the move; embedded windows are
//   placed from a thread of the host that shares its input with no one, so
//   every move is posted and none waits.
// - Clicks on the host's own windows (the bars, the frame) while the user
//   works in a pane do not activate "Split": the focus stays in the pane.
// - Keyboard menus. The platform sends a control's menu key (Alt, F10) to
//   its root window, "Split", which has no menu bar; it is posted on to the
//   add-on window whose control has the focus, whose own default handling
//   opens its menu.
// - The caption is drawn active exactly while "Split" or a window inside it
//   is in front: the platform tells "Split" nothing when the user goes from
//   a pane straight to another program, so each look checks.
#include <algorithm>

#include "host/input_owner.h"
#include "host/slots.h"
#include "toolkit/window/window.h"

namespace tessel::host {
namespace {

constexpr UINT_PTR kLookTimer = 0x7E60;
constexpr UINT kLookPeriod = 1000;  // ms between pings
constexpr DWORD kQuietAfter = 5000;  // ms after the user's last input
constexpr UINT kConfirmWait = 300;  // ms an add-on may take to answer before a system command
// Every paint, erase, frame and internal paint that the window and its
// children still owe.
constexpr UINT kValidateAll = RDW_VALIDATE | RDW_NOFRAME | RDW_NOERASE | RDW_NOINTERNALPAINT | RDW_ALLCHILDREN;

struct AddonInput {
    DWORD thread = 0;
    HANDLE held = nullptr;  // the thread, kept open so that its id stays its own
    Pings pings;
    bool unpainted = false;  // its windows were validated while it did not answer
};
AddonInput addons[kLastSlot + 1];
int owner = 0;
HHOOK press_hook = nullptr;
bool caption_drawn_active = false;

HWND main_window() { return window_handle(kMainWindow); }
HWND embedded(int i) { return slot_table()[static_cast<std::size_t>(i)].window; }
DWORD thread_of(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

// The add-on's thread while it lives and its window is still its own; 0
// otherwise, or for a window of the host's own thread.
DWORD live_thread(int i) {
    AddonInput& addon = addons[i];
    HWND window = embedded(i);
    if (!addon.held && window && !of_this_thread(window)) {
        addon.thread = thread_of(window);
        addon.held = OpenThread(SYNCHRONIZE, FALSE, addon.thread);
    }
    if (!addon.held || WaitForSingleObject(addon.held, 0) != WAIT_TIMEOUT) return 0;
    return IsWindow(window) && thread_of(window) == addon.thread ? addon.thread : 0;
}

// Takes the detached add-on's focus away: attached to the add-on alone,
// this thread may wait on it for as long as it needs.
DWORD WINAPI drop_focus(void* parameter) {
    const auto addon = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter));
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue, to attach
    if (AttachThreadInput(GetCurrentThreadId(), addon, TRUE)) {
        if (HWND focus = GetFocus(); focus && thread_of(focus) == addon) SetFocus(nullptr);
        AttachThreadInput(GetCurrentThreadId(), addon, FALSE);
    }
    return 0;
}

void detach(int i) {
    const DWORD thread = addons[i].thread;
    if (!addons[i].held || !AttachThreadInput(thread, GetCurrentThreadId(), FALSE)) return;
    if (HANDLE dropper = CreateThread(nullptr, 0, drop_focus,
                                      reinterpret_cast<void*>(static_cast<UINT_PTR>(thread)), 0, nullptr))
        CloseHandle(dropper);
}

bool attach(int i) {
    const DWORD thread = live_thread(i);
    return thread && AttachThreadInput(thread, GetCurrentThreadId(), TRUE);
}

void change_owner(InputEvent event, int pane) {
    bool answering[kLastSlot + 1] = {};
    const ULONGLONG now = GetTickCount64();
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        answering[i] = live_thread(i) != 0 && answers(addons[i].pings, now);
    const int next = input_owner(owner, event, pane, answering);
    if (next == owner) return;
    // The old owner goes first: nothing the new one does may send to it.
    if (owner) detach(owner);
    owner = next && attach(next) ? next : 0;
}

void CALLBACK take_answer(HWND window, UINT, ULONG_PTR slot, LRESULT) {
    if (slot < kFirstSlot || slot > kLastSlot) return;
    AddonInput& addon = addons[slot];
    addon.pings.answered = GetTickCount64();
    if (addon.unpainted)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    addon.unpainted = false;
}

// A ping is sent only once the last is answered: a stopped add-on's queue
// never grows, and its debt is counted from the first ping it left.
void ping_addons() {
    const ULONGLONG now = GetTickCount64();
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        Pings& pings = addons[i].pings;
        if (pings.answered < pings.sent || !live_thread(i)) continue;
        if (SendMessageCallbackW(embedded(i), WM_NULL, 0, 0, take_answer, static_cast<ULONG_PTR>(i)))
            pings.sent = now;
    }
}

// Whether a window inside "Split", or one of the owner's (a menu, a list),
// is in front.
bool inside_split(HWND window) { return window && GetAncestor(window, GA_ROOT) == main_window(); }
bool split_in_front() {
    HWND front = GetForegroundWindow();
    return inside_split(front) || (front && owner && thread_of(front) == addons[owner].thread);
}

// The window that loses the activation is sent messages: one of another
// thread must answer at once, or "Split" is left inactive.
bool answers_now(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kConfirmWait, &result) != 0;
}

void take_activation() {
    HWND main = main_window(), active = GetActiveWindow();
    if (active == main) return;
    if (active && !of_this_thread(active) && !answers_now(active)) return;
    SetActiveWindow(main);
}

void redraw_caption(bool active) {
    if (active != caption_drawn_active) SendMessageW(main_window(), WM_NCACTIVATE, active, 0);
}

// Pings only while the user is at work: until then a stop holds up
// nothing, and idle add-ons are left asleep.
bool user_at_work() {
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    return GetLastInputInfo(&input) && GetTickCount() - input.dwTime < kQuietAfter;
}

void CALLBACK look(HWND, UINT, UINT_PTR, DWORD) {
    if (user_at_work()) ping_addons();
    const bool front = split_in_front();
    const int before = owner;
    change_owner(front ? InputEvent::look : InputEvent::left_front, 0);
    // A stopped owner took the activation along: "Split" takes it back.
    if (front && before && !owner) take_activation();
    redraw_caption(split_in_front());
}

bool is_press(WPARAM message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
}

// The slot whose add-on's window is under the point, or 0. Finding the
// window sends a hit test only to windows of the calling thread.
int pane_under(POINT at) {
    HWND window = WindowFromPoint(at);
    if (!window) return 0;
    const DWORD thread = thread_of(window);
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (addons[i].thread == thread && live_thread(i)) return i;
    return 0;
}

LRESULT CALLBACK watch_presses(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && is_press(message)) {
        if (!split_in_front()) change_owner(InputEvent::left_front, 0);
        const int pane = pane_under(reinterpret_cast<const MSLLHOOKSTRUCT*>(data)->pt);
        change_owner(pane ? InputEvent::press_on_pane : InputEvent::press_elsewhere, pane);
    }
    return CallNextHookEx(nullptr, code, message, data);
}

// Before a system command. Activating "Split" sends to the owner, and
// Wine's move and size loops first paint every child window, the add-ons'
// too, waiting on each: an add-on that does not answer now is detached if
// it owns the input, and its windows are left unpainted until it answers.
void prepare_for_command() {
    const ULONGLONG now = GetTickCount64();
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        if (!live_thread(i)) continue;
        Pings& pings = addons[i].pings;
        if (answers_now(embedded(i))) {
            pings.answered = std::max<ULONGLONG>(pings.answered, now);
            continue;
        }
        if (pings.answered >= pings.sent) ping_addons();  // one to answer
        pings.sent = std::min<ULONGLONG>(pings.sent, now - kAnswerLimit);
        RedrawWindow(embedded(i), nullptr, nullptr, kValidateAll);
        addons[i].unpainted = true;
    }
    change_owner(InputEvent::look, 0);
}

// The add-on window, captured in a pane, that holds the keyboard focus.
HWND focused_addon() {
    HWND focus = GetFocus();
    for (int i = kFirstSlot; i <= kLastSlot; ++i) {
        HWND window = embedded(i);
        if (focus && window && (focus == window || IsChild(window, focus))) return window;
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
    caption_drawn_active = inside;
    return DefWindowProcW(main, WM_NCACTIVATE, inside ? TRUE : FALSE, lparam);
}

// The placements asked for and not yet made, the latest per slot, taken
// by the placing thread, which never waits: every move it asks for is
// posted to the add-on.
struct Placement {
    HWND window = nullptr;
    int width = 0, height = 0;
};
SRWLOCK placements_lock = SRWLOCK_INIT;
Placement placements[kLastSlot + 1];
HANDLE placements_due = nullptr;

DWORD WINAPI place_windows(void*) {
    for (;;) {
        WaitForSingleObject(placements_due, INFINITE);
        Placement due[kLastSlot + 1];
        AcquireSRWLockExclusive(&placements_lock);
        std::copy(std::begin(placements), std::end(placements), due);
        std::fill(std::begin(placements), std::end(placements), Placement{});
        ReleaseSRWLockExclusive(&placements_lock);
        for (const Placement& p : due)
            if (p.window) SetWindowPos(p.window, nullptr, 0, 0, p.width, p.height, kEmbeddedPlacement);
    }
}

bool start_placing() {
    if (placements_due) return true;
    placements_due = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE placer = placements_due ? CreateThread(nullptr, 0, place_windows, nullptr, 0, nullptr) : nullptr;
    if (!placer) {
        if (placements_due) CloseHandle(placements_due);
        placements_due = nullptr;
        return false;
    }
    CloseHandle(placer);
    return true;
}

}  // namespace

void guard_shared_input() {
    HWND main = main_window();
    if (!main) return;
    // Capture attached every add-on; none owns the input until the user
    // clicks into it, and "Split" takes back the activation that the last
    // add-on to show its window took.
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (live_thread(i)) detach(i);
    take_activation();
    SetTimer(main, kLookTimer, kLookPeriod, look);
    press_hook = SetWindowsHookExW(WH_MOUSE_LL, watch_presses, GetModuleHandleW(nullptr), 0);
}

// Before the add-ons are ended: the hook goes first, since every mouse
// event on the desktop waits on it while the host's thread is busy.
void release_shared_input() {
    if (press_hook) UnhookWindowsHookEx(press_hook);
    press_hook = nullptr;
    KillTimer(main_window(), kLookTimer);
    for (AddonInput& addon : addons)
        if (addon.held) CloseHandle(addon.held);
    for (AddonInput& addon : addons) addon = AddonInput{};
    owner = 0;
}

LRESULT route_shared_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND main = main_window();
    switch (message) {
        case WM_MOUSEACTIVATE:
            if (inside_split(window) && keeps_activation()) return MA_NOACTIVATE;
            break;
        case WM_SYSCOMMAND:
            if (window != main) break;
            if ((wparam & 0xFFF0) == SC_KEYMENU)
                if (HWND addon = focused_addon()) {
                    PostMessageW(addon, WM_SYSCOMMAND, wparam, lparam);
                    return 0;
                }
            prepare_for_command();
            break;
        case WM_NCACTIVATE:
            if (window == main) return draw_caption(main, wparam, lparam);
            break;
        case WM_NCLBUTTONDOWN:
            // Wine activates a window whose caption is pressed, whatever its
            // answer to the mouse activation; Windows does not. Moved as
            // Windows would, "Split" leaves the keyboard in the pane.
            if (window == main && wparam == HTCAPTION && keeps_activation()) {
                SendMessageW(main, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lparam);
                return 0;
            }
            break;
        default:
            break;
    }
    return kCallbackDefault;
}

void place_embedded_window(int slot, HWND window, int width, int height) {
    if (!start_placing()) {
        SetWindowPos(window, nullptr, 0, 0, width, height, kEmbeddedPlacement);  // the best left
        return;
    }
    AcquireSRWLockExclusive(&placements_lock);
    placements[slot] = {window, width, height};
    ReleaseSRWLockExclusive(&placements_lock);
    SetEvent(placements_due);
}

}  // namespace tessel::host
