// The window message translator: turns platform messages of toolkit windows
// (and of the containers and splitters that hand theirs on) into events.
// One small handler per message, found through a table.
#include <array>

#include "toolkit/gadgets/gadget.h"
#include "toolkit/window/callback.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

// Control identifier that marks a menu command sent as WM_COMMAND by a
// control (toolbars send their buttons' commands this way).
constexpr int kMenuControlId = -10000;
// The toolkit's private notification that gadget hooks also receive.
constexpr UINT kPrivateGadgetMessage = 13120;

struct Message {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    ToolkitWindow owner;
    bool own() const { return owner.handle && window == owner.handle; }
};

void post(const Message& m, int code, std::intptr_t object = 0, std::intptr_t type = 0) {
    post_event(code, object, m.owner.number, type);
}

LRESULT on_move(const Message& m) {
    if (m.owner.record && m.own() && m.owner.record->ready)
        post(m, window_moved, m.owner.number);
    return 0;
}

void post_resized(const Message& m) {
    remove_events(main_event_queue(), window_resized, 0, m.owner.number, 0);
    post(m, window_resized);
}

LRESULT on_size(const Message& m) {
    if (!m.own()) return 1;
    WindowRecord* record = m.owner.record;
    if (!record || !record->ready) return kNotHandled;
    switch (m.wparam) {
        case SIZE_MINIMIZED:
            record->minimized_or_maximized = 1;
            post(m, window_minimized);
            break;
        case SIZE_MAXIMIZED:
            record->minimized_or_maximized = 1;
            post(m, window_maximized);
            post(m, window_resized);
            break;
        case SIZE_RESTORED:
            if (record->minimized_or_maximized) {
                record->minimized_or_maximized = 0;
                post(m, window_restored);
            }
            post_resized(m);
            break;
        default:
            post_resized(m);
            break;
    }
    return 0;
}

LRESULT on_activate(const Message& m) {
    if (LOWORD(m.wparam) != 0) {
        if (auto focus = static_cast<HWND>(GetPropW(m.window, kFocusProperty))) SetFocus(focus);
        post(m, window_activated);
    } else {
        // Only its own thread's: another thread's focus is that thread's to restore.
        HWND focus = GetFocus();
        SetPropW(m.window, kFocusProperty, of_this_thread(focus) ? focus : nullptr);
        hide_focus_cues(m.window);
        post(m, window_deactivated);
    }
    return 1;
}

LRESULT on_close(const Message& m) {
    if (m.owner.record && m.own()) {
        post(m, close_request, m.owner.number);
        PostMessageW(post_event_window(), unlock_message(), 0, 0);
    }
    return 0;
}

LRESULT on_erase_background(const Message& m) {
    WindowRecord* record = m.owner.record;
    if (record && record->background_brush && record->background_painter) {
        record->background_painter(reinterpret_cast<HDC>(m.wparam), m.window,
                                   record->background_brush);
        post(m, repaint);
        return 1;
    }
    post(m, repaint);
    return kNotHandled;
}

BOOL CALLBACK forward_colour_change(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT on_system_colour_change(const Message& m) {
    if (m.owner.record) EnumChildWindows(m.window, forward_colour_change, 0);
    return kNotHandled;
}

LRESULT on_get_min_max_info(const Message& m) {
    const WindowRecord* record = m.owner.record;
    if (!record) return kNotHandled;
    auto* info = reinterpret_cast<MINMAXINFO*>(m.lparam);
    RECT frame{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongW(m.window, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongW(m.window, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, GetMenu(m.window) != nullptr, extended);
    const int frame_w = frame.right - frame.left;
    const int frame_h = frame.bottom - frame.top;
    if (record->minimum_width) info->ptMinTrackSize.x = record->minimum_width + frame_w;
    else if (extended & WS_EX_TOOLWINDOW) info->ptMinTrackSize.x = 1;
    if (record->minimum_height) info->ptMinTrackSize.y = record->minimum_height + frame_h;
    if (record->maximum_width) info->ptMaxTrackSize.x = record->maximum_width + frame_w;
    if (record->maximum_height) info->ptMaxTrackSize.y = record->maximum_height + frame_h;
    return 0;
}

LRESULT on_notify(const Message& m) {
    const auto* header = reinterpret_cast<const NMHDR*>(m.lparam);
    if (!header) return kNotHandled;
    return dispatch_message_hook(header->hwndFrom, m.window, m.message, m.wparam, m.lparam);
}

LRESULT on_control_message(const Message& m) {
    return dispatch_message_hook(reinterpret_cast<HWND>(m.lparam), m.window, m.message,
                                 m.wparam, m.lparam);
}

LRESULT on_control_command(const Message& m) {
    auto control = reinterpret_cast<HWND>(m.lparam);
    if (dispatch_message_hook(control, m.window, m.message, m.wparam, m.lparam) != kNotHandled)
        return 0;
    // Pointer-sized: a gadget made with -1 carries its whole number here.
    const auto id = static_cast<std::intptr_t>(GetWindowLongPtrW(control, GWLP_ID));
    if (id == kMenuControlId) post(m, menu_event, LOWORD(m.wparam));
    else if (carries_gadget_id(control)) post(m, gadget_event, id, HIWORD(m.wparam));
    return 0;
}

LRESULT on_command(const Message& m) {
    if (m.lparam) return on_control_command(m);
    if (HIWORD(m.wparam) == 0) {
        post(m, menu_event, static_cast<std::intptr_t>(m.wparam));
    } else if (LOWORD(m.wparam) == kCommandFocusForward) {
        move_focus(false);
    } else if (LOWORD(m.wparam) == kCommandFocusBackward) {
        move_focus(true);
    } else {
        post(m, menu_event, LOWORD(m.wparam));
    }
    return 0;
}

LRESULT on_timer(const Message& m) {
    if (m.owner.record) post(m, timer_event, static_cast<std::intptr_t>(m.wparam));
    return m.owner.record ? 0 : kNotHandled;
}

// A click on a pop-up that lives inside another window (a program's window
// embedded in another program's) activates the pop-up itself, as Windows
// does. Wine activates the outermost window instead, and the pop-up's menu,
// opened by that click, would get no keys.
LRESULT on_mouse_activate(const Message& m) {
    HWND root = GetAncestor(m.window, GA_ROOT);
    if (root == m.window || (GetWindowLongW(m.window, GWL_STYLE) & WS_CHILD)) return kNotHandled;
    HWND front = GetForegroundWindow();
    if (!front || GetAncestor(front, GA_ROOT) != root) SetForegroundWindow(root);
    if (GetActiveWindow() != m.window) SetActiveWindow(m.window);
    return MA_NOACTIVATE;
}

LRESULT on_nc_destroy(const Message& m) { return clean_up_window(m.window); }
LRESULT on_left_up(const Message& m) { return post(m, left_click), 0; }
LRESULT on_left_double(const Message& m) { return post(m, left_double_click), 0; }
LRESULT on_right_up(const Message& m) { return post(m, right_click), 0; }

struct Route {
    UINT message;
    LRESULT (*handle)(const Message&);
};

constexpr std::array kRoutes{
    Route{WM_MOVE, on_move},
    Route{WM_SIZE, on_size},
    Route{WM_ACTIVATE, on_activate},
    Route{WM_MOUSEACTIVATE, on_mouse_activate},
    Route{WM_CLOSE, on_close},
    Route{WM_ERASEBKGND, on_erase_background},
    Route{WM_SYSCOLORCHANGE, on_system_colour_change},
    Route{WM_GETMINMAXINFO, on_get_min_max_info},
    Route{WM_NOTIFY, on_notify},
    Route{WM_NCDESTROY, on_nc_destroy},
    Route{WM_COMMAND, on_command},
    Route{WM_TIMER, on_timer},
    Route{WM_HSCROLL, on_control_message},
    Route{WM_VSCROLL, on_control_message},
    Route{WM_CTLCOLOREDIT, on_control_message},
    Route{WM_CTLCOLORLISTBOX, on_control_message},
    Route{WM_CTLCOLORBTN, on_control_message},
    Route{WM_CTLCOLORSTATIC, on_control_message},
    Route{kPrivateGadgetMessage, on_control_message},
    Route{WM_LBUTTONUP, on_left_up},
    Route{WM_LBUTTONDBLCLK, on_left_double},
    Route{WM_RBUTTONUP, on_right_up},
};

}  // namespace

ToolkitWindow find_toolkit_window(HWND window) {
    std::intptr_t property = 0;
    HWND found = window_carrying_number(window, property);
    if (!found) return {nullptr, kAllocateNumber, nullptr};
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(found, GWLP_HINSTANCE));
    if (instance != GetModuleHandleW(nullptr)) return {nullptr, kAllocateNumber, nullptr};
    const ObjectId number = window_number_from(property);
    return {found, number, find_window_record(number)};
}

LRESULT translate_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const Message m{window, message, wparam, lparam, find_toolkit_window(window)};
    const LRESULT answer =
        run_callback_stage(m.owner.handle, m.owner.record, window, message, wparam, lparam);
    // A window's teardown runs whatever a callback answers: skipped, its
    // record and number would outlive it, and a later window given the
    // same handle would read that number.
    if (message == WM_NCDESTROY && answer != kCallbackDefault) on_nc_destroy(m);
    if (answer != kCallbackDefault) return answer;
    for (const Route& route : kRoutes)
        if (route.message == message) return route.handle(m);
    return kNotHandled;
}

}  // namespace tessel
