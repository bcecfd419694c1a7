#include "toolkit/forms/menus.h"

#include "toolkit/window/property_memo.h"

namespace tessel {
namespace {

constexpr int kMenuGrowthStep = 16;

struct MenuState {
    ObjectTable* table = nullptr;
    MenuRecord* current_record = nullptr;
    HMENU current_menu = nullptr;
    HMENU enclosing[kMenuNestingLimit] = {};
    int depth = 0;
};

MenuState& state() {
    static MenuState menu_state;
    return menu_state;
}

// Re-using a number: the old bar leaves its window, then is destroyed.
void destroy_menu_object(ObjectId number) {
    MenuState& s = state();
    auto* record = find_record<MenuRecord>(s.table, number);
    if (record) {
        if (record->window && GetMenu(record->window) == record->menu) SetMenu(record->window, nullptr);
        DestroyMenu(record->menu);
        if (s.current_record == record) s.current_record = nullptr, s.current_menu = nullptr;
    }
    release_object(*s.table, number);
}

// The platform destroys a window's bar with the window; only the numbers
// naming it are given up here.
void forget_menus_of(HWND window) {
    MenuState& s = state();
    HMENU bar = GetMenu(window);
    if (!bar || !s.table) return;
    // Collected first: the cursor walk yields the allocated list's head
    // until it is released, which a menu of another window never is here.
    for (const NextObject& next : live_objects(*s.table)) {
        auto* record = static_cast<MenuRecord*>(next.record);
        if (record->menu != bar) continue;
        if (s.current_record == record) s.current_record = nullptr, s.current_menu = nullptr;
        release_object(*s.table, next.number);
    }
}

PropertyMemo<WNDPROC>& menu_callbacks() {
    thread_local PropertyMemo<WNDPROC> memo(kMenuCallbackProperty);
    return memo;
}

LRESULT CALLBACK menu_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const WNDPROC previous = menu_callbacks().get(window);
    if (message == WM_NCDESTROY) {
        forget_menus_of(window);
        menu_callbacks().remove(window);
    }
    return previous ? CallWindowProcW(previous, window, message, wparam, lparam)
                    : DefWindowProcW(window, message, wparam, lparam);
}

void hook_window(HWND window) {
    if (!window || menu_callbacks().get(window)) return;
    const LONG_PTR previous = SetWindowLongPtrW(window, GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(menu_window_procedure));
    menu_callbacks().set(window, reinterpret_cast<WNDPROC>(previous));
}

// Attaches the bar on its first entry, redraws it on later ones.
void show_bar() {
    const MenuRecord* record = state().current_record;
    if (record && record->window) SetMenu(record->window, record->menu);
}

}  // namespace

ObjectTable* menu_table() { return state().table; }

HMENU menu_handle(ObjectId number) {
    auto* record = find_record<MenuRecord>(state().table, number);
    return record ? record->menu : nullptr;
}

std::intptr_t create_menu(ObjectId number, HWND window) {
    MenuState& s = state();
    if (!s.table) return 0;
    auto* record = static_cast<MenuRecord*>(reserve_object(*s.table, number));
    if (!record) return 0;
    const ObjectId identity = number == kAllocateNumber ? number_of_record(*s.table, record) : number;
    HMENU bar = CreateMenu();
    if (!bar) {
        release_object(*s.table, identity);
        return 0;
    }
    record->menu = bar;
    record->window = window;
    s.current_record = record;
    s.current_menu = bar;
    hook_window(window);
    return number == kAllocateNumber ? identity : as_native(bar);
}

void menu_title(const wchar_t* text) {
    MenuState& s = state();
    if (!s.current_record) return;
    if (s.depth != 0) {
        s.depth = 0;
        s.current_menu = s.current_record->menu;
    }
    HMENU drop_down = CreateMenu();
    if (!drop_down) return;
    if (!AppendMenuW(s.current_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(drop_down), text ? text : L"")) {
        DestroyMenu(drop_down);
        return;
    }
    if (s.depth < kMenuNestingLimit) s.enclosing[s.depth++] = s.current_menu;
    s.current_menu = drop_down;
    show_bar();
}

void menu_item(int number, const wchar_t* text) {
    MenuState& s = state();
    if (!s.current_menu) return;
    AppendMenuW(s.current_menu, MF_STRING, static_cast<UINT_PTR>(number), text ? text : L"");
    show_bar();
}

void start_menu_component() {
    MenuState& s = state();
    if (s.table) return;
    s.table = create_object_table(sizeof(MenuRecord), kMenuGrowthStep, destroy_menu_object);
}

// Bars die with their windows, which are closed before this runs; only the
// table itself is left to free.
void stop_menu_component() {
    MenuState& s = state();
    if (!s.table) return;
    free_object_table(s.table);
    s = MenuState{};
}

}  // namespace tessel
