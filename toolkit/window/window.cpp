#include "toolkit/window/window.h"

#include <algorithm>
#include <cwchar>
#include <cstdlib>
#include <new>
#include <vector>

#include <ole2.h>

#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/callback.h"
#include "toolkit/window/dpi.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/placement.h"
#include "toolkit/window/property_memo.h"
#include "toolkit/toolkit.h"

namespace tessel {
namespace {

constexpr int kWindowGrowthStep = 16;
constexpr UINT kWindowClassStyle = CS_DBLCLKS;
constexpr int kPositionDefault = static_cast<int>(CW_USEDEFAULT);
// Desktop composition draws an invisible 8-pixel resize border left of a
// sizable window; explicit positions are shifted so the visible frame lands
// where asked.
constexpr int kCompositionFrameCorrection = 8;

struct WindowState {
    ObjectTable* table = nullptr;
    HICON class_icon = nullptr;
    HCURSOR class_cursor = nullptr;
    bool composition_probed = false;
    bool composition_enabled = false;
    std::vector<ObjectId> unused_classes;  // of windows gone, to unregister
};

WindowState& state() {
    static WindowState window_state;
    return window_state;
}

HINSTANCE module_instance() { return GetModuleHandleW(nullptr); }

// Read for every message, on the walk up to the window that owns it.
PropertyMemo<std::intptr_t>& window_ids() {
    thread_local PropertyMemo<std::intptr_t> memo(kWindowIdProperty);
    return memo;
}

void class_name_for(ObjectId number, wchar_t (&name)[48]) {
    std::swprintf(name, 48, L"WindowClass_%lld", static_cast<long long>(number));
}

// WM_NCDESTROY comes while the window still uses its class, so the class
// goes at the next open or close: a window destroyed with its parent or
// by DestroyWindow leaves none behind, whatever its number.
void mark_class_unused(ObjectId number) {
    try {
        state().unused_classes.push_back(number);
    } catch (const std::bad_alloc&) {
        // the class stays registered, as the next window of this number would want
    }
}

void drop_unused_classes() {
    std::erase_if(state().unused_classes, [](ObjectId number) {
        wchar_t class_name[48];
        class_name_for(number, class_name);
        return UnregisterClassW(class_name, module_instance()) ||
               GetLastError() != ERROR_CLASS_HAS_WINDOWS;
    });
}

bool composition_enabled() {
    WindowState& s = state();
    if (!s.composition_probed) {
        s.composition_probed = true;
        if (HMODULE dwm = load_system_library(L"dwmapi.dll")) {
            using IsEnabled = HRESULT(WINAPI*)(BOOL*);
            auto query = reinterpret_cast<IsEnabled>(
                reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
            BOOL enabled = FALSE;
            s.composition_enabled = query && SUCCEEDED(query(&enabled)) && enabled;
        }
    }
    return s.composition_enabled;
}

struct WindowStyle {
    DWORD style;
    DWORD extended;
    bool hidden;
    bool no_activate;
};

WindowStyle style_from_flags(unsigned flags) {
    unsigned style = flags & ~kWindowNoGadgetList;
    constexpr unsigned kPlacementOnly =
        kWindowCentreScreen | kWindowCentreParent | kWindowNoGadgetList | kWindowHidden;
    if ((flags & ~kPlacementOnly) == 0) style |= WS_CAPTION;
    WindowStyle result{};
    result.hidden = style & kWindowHidden;
    style &= ~kWindowHidden;
    result.no_activate = style & kWindowNoActivate;
    if (style & kWindowToolWindow) {
        style |= WS_CAPTION;
        style &= ~(WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        result.extended = WS_EX_TOOLWINDOW;
    }
    result.style = style;
    return result;
}

int show_command(DWORD style, bool no_activate) {
    if (style & WS_MAXIMIZE) return no_activate ? SW_SHOWNA : SW_SHOWMAXIMIZED;
    if (style & WS_MINIMIZE) return no_activate ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED;
    return no_activate ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
}

void move_window_to(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void centre_window(HWND window, unsigned flags) {
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    // Both bits ask for the parent, which open_window never has: no move.
    if ((flags & kWindowCentreScreen) && !(flags & kWindowCentreParent)) {
        const int screen_w = GetSystemMetrics(SM_CXSCREEN);
        const int screen_h = GetSystemMetrics(SM_CYSCREEN);
        move_window_to(window, (screen_w - std::min(screen_w, width)) / 2,
                       (screen_h - std::min(screen_h, height)) / 2);
        return;
    }
    // Centring on a parent needs a parent; open_window never has one.
    HWND parent = GetParent(window);
    if (!parent) return;
    RECT area{};
    GetWindowRect(parent, &area);
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    move_window_to(window, std::max(x, 0), std::max(y, 0));
}

// The frame that the user sees: on Windows with composition the outer
// rectangle also holds invisible resize borders.
RECT visible_frame(HWND window, const RECT& outer) {
    RECT visible = outer;
    if (!composition_enabled()) return visible;
    using FrameQuery = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
    static const auto query = [] {
        HMODULE dwm = load_system_library(L"dwmapi.dll");
        return dwm ? reinterpret_cast<FrameQuery>(
                         reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
    if (!query || FAILED(query(window, kExtendedFrameBounds, &visible, sizeof visible))) visible = outer;
    return visible;
}

ScreenBox box_of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A position scaled for a high DPI, or a window larger than the screen,
// would leave the window partly off it: it is moved just enough, and
// shrunk where it is larger than the work area.
void fit_on_its_screen(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&outer, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const bool placed_by_platform = IsIconic(window) || IsZoomed(window);
    const ScreenBox now = box_of(outer);
    const ScreenBox fitted = fit_on_screen(now, box_of(visible_frame(window, outer)),
                                           box_of(monitor.rcWork), placed_by_platform);
    if (fitted == now) return;
    SetWindowPos(window, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
                 fitted.bottom - fitted.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// `kept_x`, where not "no position", is an x given without a y beside a
// centring flag: kept where the centring leaves the window alone.
void place_window(HWND window, unsigned flags, bool explicit_position, int x, int y,
                  DWORD style, int kept_x) {
    if (flags & (kWindowCentreScreen | kWindowCentreParent)) {
        centre_window(window, flags);
        RECT outer{};
        const bool centred = (flags & kWindowCentreScreen) && !(flags & kWindowCentreParent);
        if (kept_x != kKeepCurrent && !centred && GetWindowRect(window, &outer))
            move_window_to(window, kept_x, outer.top);
    } else if (explicit_position) {
        const int correction =
            (composition_enabled() && (style & WS_THICKFRAME)) ? kCompositionFrameCorrection : 0;
        move_window_to(window, x - correction, y);
    }
    fit_on_its_screen(window);
}

// The platform places only an overlapped window itself (at the position
// its program was started with, or by its own cascade); a pop-up given
// "no position" lands at 0,0. So such a pop-up is made overlapped and
// restyled before anything but its creation has seen it.
HWND create_native_window(const WindowStyle& style, DWORD native_style, const wchar_t* class_name,
                          const wchar_t* title, int x, int y, const RECT& frame) {
    const bool restyle = x == kPositionDefault && (native_style & WS_POPUP);
    HWND window = CreateWindowExW(style.extended, class_name, title,
                                  restyle ? native_style & ~WS_POPUP : native_style, x, y,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, module_instance(), nullptr);
    if (window && restyle) {
        // Created overlapped, it was held to a captioned window's smallest
        // size: the restyle gives back the size asked for.
        SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(native_style));
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return window;
}

void install_focus_accelerators(WindowRecord& record) {
    auto* entries = static_cast<ACCEL*>(std::calloc(2, sizeof(ACCEL)));
    if (!entries) return;
    entries[0] = {FVIRTKEY | FNOINVERT, VK_TAB, kCommandFocusForward};
    entries[1] = {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kCommandFocusBackward};
    record.accelerators = entries;
    record.accelerator_count = 2;
    record.accelerator_table = CreateAcceleratorTableW(entries, 2);
}

void destroy_window_object(ObjectId number) { close_window(number); }

}  // namespace

ObjectTable* window_table() { return state().table; }

WindowRecord* find_window_record(ObjectId number) {
    return find_record<WindowRecord>(state().table, number);
}

HWND window_handle(ObjectId number) {
    WindowRecord* record = find_window_record(number);
    return record ? record->handle : nullptr;
}

std::intptr_t window_id_property(HWND window) { return window_ids().get(window); }

ObjectId window_number_of(HWND window) { return window_number_from(window_id_property(window)); }

bool of_this_thread(HWND window) {
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

std::intptr_t open_window(ObjectId number, int x, int y, int width, int height,
                          const wchar_t* title, unsigned flags) {
    ObjectTable* table = state().table;
    if (!table) return 0;
    drop_unused_classes();
    auto* record = static_cast<WindowRecord*>(reserve_object(*table, number));
    if (!record) return 0;
    const bool allocated = number == kAllocateNumber;
    if (allocated) number = number_of_record(*table, record);

    wchar_t class_name[48];
    class_name_for(number, class_name);
    WNDCLASSW window_class{};
    window_class.style = kWindowClassStyle;
    window_class.lpfnWndProc = common_window_procedure;
    window_class.hInstance = module_instance();
    window_class.hIcon = state().class_icon;
    window_class.hCursor = state().class_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);  // an existing class of this name serves

    const WindowStyle style = style_from_flags(flags);
    RECT frame{0, 0, scale_x(width), scale_y(height)};
    AdjustWindowRectEx(&frame, style.style & ~0x7u, FALSE, style.extended);

    // "No position" is never a coordinate: without both, the platform
    // places the window (and centring, when asked, moves it afterwards).
    const bool platform_placement = x == kKeepCurrent || y == kKeepCurrent;
    const int place_x = platform_placement ? kPositionDefault : scale_x(x);
    const int place_y = platform_placement ? kPositionDefault : scale_y(y);

    constexpr DWORD kToolkitBits =
        kWindowCentreScreen | kWindowCentreParent | kWindowToolWindow | kWindowNoActivate;
    HWND window = create_native_window(style, style.style & ~kToolkitBits, class_name,
                                       title ? title : L"", place_x, place_y, frame);
    if (!window) {
        UnregisterClassW(class_name, module_instance());
        release_object(*table, number);
        return 0;
    }

    record->handle = window;
    record->ready = 0;
    window_ids().set(window, number + 1);
    const bool centring = (flags & (kWindowCentreScreen | kWindowCentreParent)) != 0;
    const int kept_x = centring && x != kKeepCurrent && y == kKeepCurrent ? scale_x(x) : kKeepCurrent;
    place_window(window, flags, !platform_placement, place_x, place_y, style.style, kept_x);
    if (!style.hidden) ShowWindow(window, show_command(style.style, style.no_activate));
    record->minimized_or_maximized = (style.style & (WS_MAXIMIZE | WS_MINIMIZE)) ? 1 : 0;
    install_focus_accelerators(*record);
    record->background_color = kNoColor;
    if (!(flags & kWindowNoGadgetList)) use_gadget_list(window);
    record->ready = 1;
    return allocated ? number : as_native(window);
}

void close_window(ObjectId number) {
    ObjectTable* table = state().table;
    if (!table) return;
    if (number == kAllocateNumber) {
        destroy_all_objects(*table);
        return;
    }
    WindowRecord* record = find_window_record(number);
    if (!record) return;
    unbind_window_handlers(number);
    HWND window = record->handle;
    if (HWND owner = GetWindow(window, GW_OWNER)) SetActiveWindow(owner);
    DestroyWindow(window);  // WM_NCDESTROY releases the record
    // Should the platform have refused, the number is still given up.
    if (find_window_record(number) == record) {
        release_object(*table, number);
        mark_class_unused(number);
    }
    drop_unused_classes();
    remove_events(main_event_queue(), -1, kAnyField, number, kAnyField);
}

// Teardown of a toolkit window, in this order: handlers, properties, timers,
// accelerators, brush, record, queued events, and its class marked to go
// once the window is gone.
LRESULT clean_up_window(HWND window) {
    const ObjectId number = window_number_of(window);
    if (number == kAllocateNumber) return 1;
    unbind_window_handlers(number);
    RemovePropW(window, kFocusProperty);
    window_ids().remove(window);
    if (RemovePropW(window, kDropAcceptProperty)) RevokeDragDrop(window);

    if (WindowRecord* record = find_window_record(number)) {
        for (TimerNode* node = record->timers; node;) {
            TimerNode* next = node->next;
            KillTimer(window, node->timer);
            std::free(node);
            node = next;
        }
        std::free(record->accelerators);
        if (record->accelerator_table) DestroyAcceleratorTable(record->accelerator_table);
        if (record->background_brush) DeleteObject(record->background_brush);
    }
    if (state().table) release_object(*state().table, number);
    remove_events(main_event_queue(), -1, kAnyField, number, kAnyField);
    mark_class_unused(number);
    return 1;
}

void start_window_component() {
    WindowState& s = state();
    if (s.table) return;
    s.table = create_object_table(sizeof(WindowRecord), kWindowGrowthStep, destroy_window_object);
    start_callback_record();
    s.class_icon = LoadIconW(module_instance(), MAKEINTRESOURCEW(1));
    s.class_cursor = LoadCursorW(nullptr, IDC_ARROW);
}

void stop_window_component() {
    WindowState& s = state();
    if (!s.table) return;
    destroy_all_objects(*s.table);
    if (s.class_icon) DestroyIcon(s.class_icon);
    s.class_icon = nullptr;
    free_object_table(s.table);
    s.table = nullptr;
}

}  // namespace tessel
