// Menus: a numbered menu bar per window, built from drop-down titles and
// items; choosing an item posts menu_event with the item's number.
#pragma once

#include "toolkit/types.h"

namespace tessel {

struct MenuRecord {
    HMENU menu;   // first field: 0 = no menu
    HWND window;  // the window the bar belongs to
};

constexpr wchar_t kMenuCallbackProperty[] = L"zw_menu_callback";
constexpr int kMenuNestingLimit = 64;

// The bar's handle for an explicit number, the record's number for -1, 0 on
// failure. The bar appears on the window with its first title or item.
std::intptr_t create_menu(ObjectId number, HWND window);
// A new drop-down on the bar of the menu created last; items go into it.
void menu_title(const wchar_t* text);
// Item numbers fit in 16 bits: the platform reports them in a low word.
void menu_item(int number, const wchar_t* text);

HMENU menu_handle(ObjectId number);
ObjectTable* menu_table();
void start_menu_component();
void stop_menu_component();

}  // namespace tessel
