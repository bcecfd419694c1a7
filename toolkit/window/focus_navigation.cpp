// Keyboard focus navigation inside the pump: which accelerator table the
// active window uses, the focus cues, and Tab / Shift+Tab moves.
#include <cwchar>
#include <vector>

#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

constexpr wchar_t kHotkeyProperty[] = L"ZW_Hotkey";
constexpr UINT kEditorGetOptions = 0x044E;  // EM_GETOPTIONS
constexpr LPARAM kEditorReadOnly = 0x800;   // ECO_READONLY
constexpr WORD kFocusCueBits = UISF_HIDEFOCUS | UISF_HIDEACCEL;

bool key_down(int key) { return GetKeyState(key) < 0; }

bool modifier_down() { return key_down(VK_CONTROL) || key_down(VK_SHIFT) || key_down(VK_MENU); }

bool has_tab_entry(const WindowRecord* record) {
    if (!record || !record->accelerators) return false;
    for (int i = 0; i < record->accelerator_count; ++i)
        if (record->accelerators[i].key == VK_TAB &&
            record->accelerators[i].cmd == kCommandFocusForward)
            return true;
    return false;
}

// Writable rich-edit controls and Scintilla take Tab for themselves.
bool control_takes_tab(HWND control) {
    wchar_t name[17] = {};
    GetClassNameW(control, name, 17);
    if (std::wcsncmp(name, L"RichE", 5) == 0 || std::wcsncmp(name, L"RICHE", 5) == 0)
        return !(SendMessageW(control, kEditorGetOptions, 0, 0) & kEditorReadOnly);
    return std::wcscmp(name, L"Scintilla") == 0;
}

WindowRecord* record_of_active(HWND active) {
    if (!active || !window_id_property(active)) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(active, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    return find_window_record(window_number_of(active));
}

void class_of(HWND window, wchar_t (&name)[51]) {
    name[0] = 0;
    GetClassNameW(window, name, 51);
}

struct FocusSearch {
    HWND root;
    HWND current;
};

FocusSearch focus_search_start(HWND active) {
    HWND focus = GetFocus();
    FocusSearch search{active, nullptr};
    if (!focus || !IsChild(active, focus)) return search;
    search.current = focus;
    for (HWND walk = focus; walk && walk != active; walk = GetParent(walk)) {
        wchar_t name[51];
        class_of(walk, name);
        if (std::wcscmp(name, L"MDI_ChildClass") == 0) {
            search.root = walk;
            if (walk == focus) search.current = nullptr;
        } else if ((std::wcscmp(name, L"ComboBoxEx32") == 0 &&
                    (GetWindowLongW(walk, GWL_STYLE) & CBS_SIMPLE)) ||
                   std::wcscmp(name, L"SysIPAddress32") == 0) {
            search.current = walk;
        }
    }
    return search;
}

struct Descendant {
    HWND window;
    bool eligible;
};

struct Descendants {
    std::vector<Descendant> all;
    bool complete = true;
};

// Every descendant in EnumChildWindows order, so that a focused control
// that is no tab stop itself still has its place between the stops. No
// exception may cross the platform's frames: out of memory ends the walk.
BOOL CALLBACK collect_descendant(HWND window, LPARAM list) noexcept {
    auto& found = *reinterpret_cast<Descendants*>(list);
    const auto style = GetWindowLongW(window, GWL_STYLE);
    // Only the calling thread's: a program embedded here has a keyboard of
    // its own.
    const bool eligible = (style & WS_TABSTOP) && IsWindowEnabled(window) && IsWindowVisible(window) &&
                          of_this_thread(window);
    try {
        found.all.push_back({window, eligible});
    } catch (...) {
        found.complete = false;
        return FALSE;
    }
    return TRUE;
}

// The eligible window after (or before) `at` in order, wrapping round;
// `at` = size means no current window.
HWND next_eligible(const std::vector<Descendant>& all, std::size_t at, bool backward) {
    const std::size_t n = all.size();
    for (std::size_t step = 1; step <= n; ++step) {
        std::size_t i;
        if (at == n) i = backward ? n - step : step - 1;
        else i = backward ? (at + n - step) % n : (at + step) % n;
        if (all[i].eligible) return all[i].window;
    }
    return nullptr;
}

}  // namespace

HACCEL accelerator_table_for(HWND active) {
    WindowRecord* record = record_of_active(active);
    HWND focus = GetFocus();
    if (focus && key_down(VK_TAB) && !modifier_down() && has_tab_entry(record) &&
        control_takes_tab(focus))
        return nullptr;
    if (of_this_thread(active) && modifier_down()) show_focus_cues(active);
    if ((focus && GetPropW(focus, kHotkeyProperty)) || !record) return nullptr;
    return record->accelerator_table;
}

void show_focus_cues(HWND window) {
    const auto state = static_cast<WORD>(SendMessageW(window, WM_QUERYUISTATE, 0, 0));
    if (state & kFocusCueBits)
        SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, kFocusCueBits), 0);
}

void hide_focus_cues(HWND window) {
    const auto state = static_cast<WORD>(SendMessageW(window, WM_QUERYUISTATE, 0, 0));
    if ((state & kFocusCueBits) != kFocusCueBits)
        SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, kFocusCueBits), 0);
}

void move_focus(bool backward) {
    HWND active = GetActiveWindow();
    if (!active) return;
    const FocusSearch search = focus_search_start(active);
    Descendants found;
    EnumChildWindows(search.root, collect_descendant, reinterpret_cast<LPARAM>(&found));
    if (!found.complete) return;
    const std::vector<Descendant>& all = found.all;
    std::size_t at = all.size();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].window == search.current) at = i;
    if (HWND next = next_eligible(all, at, backward)) SetFocus(next);
}

}  // namespace tessel
