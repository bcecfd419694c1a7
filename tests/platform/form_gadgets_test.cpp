// Text, button and combo box gadgets, and menus, on the real platform.
#include "tests/support/window_fixture.h"
#include "toolkit/forms/button.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/combo_box.h"
#include "toolkit/forms/common_controls.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/forms/menus.h"
#include "toolkit/forms/text.h"

namespace tessel::testing {
namespace {

constexpr Color kRed = 0x0000FF, kWhite = 0xFFFFFF;

// What the window answers a caption asking for its colours.
struct ColourReply {
    HBRUSH brush;
    COLORREF text, background;
};

ColourReply ask_colours(HWND window, HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ColourReply reply{brush, GetTextColor(dc), GetBkColor(dc)};
    DeleteDC(dc);
    return reply;
}

using FormTest = WindowTest;

TEST_F(FormTest, CaptionColoursAreAnsweredSharedAndGivenBack) {
    HWND caption = as_window(create_text(1, 0, 4, 553, 19, L"Caption", SS_CENTER));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(GetWindowLongW(caption, GWL_STYLE) & 0xFFFF00FF, 0x50020081);
    const ColourReply none = ask_colours(window, caption);
    EXPECT_EQ(none.text, GetSysColor(COLOR_WINDOWTEXT));  // the hook let the platform answer

    set_gadget_color(1, kColorFront, kWhite);
    const ColourReply front_only = ask_colours(window, caption);
    EXPECT_EQ(front_only.text, static_cast<COLORREF>(kWhite));
    EXPECT_EQ(front_only.background, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(front_only.brush, GetSysColorBrush(COLOR_BTNFACE));

    const std::size_t entries = brush_cache_entries();
    set_gadget_color(1, kColorBack, kRed);
    HWND second = as_window(create_text(2, 0, 30, 100, 19, L"", 0));
    set_gadget_color(2, kColorBack, kRed);
    EXPECT_EQ(brush_cache_entries(), entries + 1);  // one brush for both
    const ColourReply both = ask_colours(window, caption);
    EXPECT_EQ(both.text, static_cast<COLORREF>(kWhite));
    EXPECT_EQ(both.background, static_cast<COLORREF>(kRed));
    EXPECT_EQ(ask_colours(window, second).brush, both.brush);
    EXPECT_EQ(gadget_color(1, kColorBack), kRed);

    DestroyWindow(second);
    EXPECT_EQ(GetObjectType(both.brush), static_cast<DWORD>(OBJ_BRUSH));  // still held by 1
    set_gadget_color(1, kColorBack, kNoColor);
    EXPECT_EQ(brush_cache_entries(), entries);
    EXPECT_EQ(GetObjectType(both.brush), 0u);
}

TEST_F(FormTest, TextsOfAnyLengthAndNoneAreKeptWhole) {
    HWND empty = as_window(create_text(1, 0, 0, 100, 20, nullptr, kTextClientEdge));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GetWindowTextLengthW(empty), 0);
    EXPECT_TRUE(GetWindowLongW(empty, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const std::wstring long_text(10000, L'x');
    HWND text = as_window(create_text(2, 0, 0, 100, 20, long_text.c_str()));
    EXPECT_EQ(GetWindowTextLengthW(text), 10000);
    HWND button = as_window(create_button(3, 0, 0, 100, 20, long_text.c_str()));
    EXPECT_EQ(GetWindowTextLengthW(button), 10000);
    EXPECT_GT(gadget_width(3, kRequiredSize), gadget_width(2, kCurrentSize));
    EXPECT_EQ(gadget_height(77, kRequiredSize), 0);
}

TEST_F(FormTest, AClickIsOneEventWithTheButtonsNumberAndReuseDestroysTheOldButton) {
    HWND first = as_window(create_button(3, 233, 27, 104, 22, L"D\u00e9connection"));
    HWND button = as_window(create_button(3, 233, 27, 104, 22, L"D\u00e9connection"));
    EXPECT_FALSE(IsWindow(first));
    ASSERT_TRUE(IsWindow(button));
    const POINT at = centre_of(button);
    click_at(at.x, at.y);
    const auto events = collect_events(300);
    EXPECT_EQ(events_for(events, gadget_event, 3, 0), 1);
    EXPECT_EQ(count_code(events, gadget_event), 1);
    // A button made with -1 is clicked under its whole number (an address
    // above 4 GB in a 64-bit process).
    const std::intptr_t allocated = create_button(kAllocateNumber, 0, 100, 80, 22, L"Any");
    ASSERT_NE(allocated, 0);
    EXPECT_GT(static_cast<std::uint64_t>(allocated), 0xFFFFFFFFull);  // else a cut would go unseen
    SendMessageW(gadget_handle(allocated), BM_CLICK, 0, 0);
    EXPECT_EQ(events_for(collect_events(50), gadget_event, allocated, 0), 1);

    // A check box built with the flags keeps the state it is given.
    create_button(4, 0, 60, 100, 22, L"Check", BS_AUTOCHECKBOX);
    set_gadget_state(4, 1);
    EXPECT_EQ(gadget_state(4), 1);
    set_gadget_state(4, 0);
    EXPECT_EQ(gadget_state(4), 0);
    set_gadget_state(4, std::int64_t{1} << 32);  // the whole value counts, not its low half
    EXPECT_EQ(gadget_state(4), 1);
    EXPECT_EQ(main_event_queue().suppression, 0);
}

TEST_F(FormTest, AComboBoxIsClosedAtTheAskedHeightWithOrWithoutItems) {
    HWND combo = as_window(create_combo_box(2, 7, 27, 210, 23, kComboEditable | CBS_AUTOHSCROLL));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(GetWindowLongW(combo, GWL_STYLE) & 0xFFFF, 0x42);  // the frame bits are the control's
    EXPECT_EQ(gadget_height(2), 23);
    EXPECT_EQ(count_gadget_items(2), 0);  // the empty-list step leaves nothing behind
    for (const wchar_t* item : {L"alpha", L"beta", L"gamma"}) add_gadget_item(2, -1, item);
    EXPECT_EQ(count_gadget_items(2), 3);
    EXPECT_EQ(gadget_height(2), 23);
    set_gadget_font(2, as_native(font_handle(load_font(kAllocateNumber, L"Arial", 20))));
    EXPECT_EQ(gadget_height(2), 23);  // a bigger font keeps the closed height
    resize_gadget(2, 7, 27, 300, 30);
    EXPECT_EQ(gadget_height(2), 30);
    resize_gadget(2, 7, 27, 210, 23);
    EXPECT_EQ(gadget_height(2), 23);

    // Drop the list and choose its second item with the mouse.
    const RECT field = window_rect(combo);
    click_at(field.right - 8, (field.top + field.bottom) / 2);
    pump_for(200);
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    const auto item_height = static_cast<int>(SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
    const RECT list = window_rect(info.hwndList);
    click_at(list.left + 20, list.top + item_height + item_height / 2 + 1);
    const auto events = collect_events(300);
    EXPECT_EQ(events_for(events, gadget_event, 2, 0x300), 1);
    EXPECT_EQ(gadget_state(2), 1);
    EXPECT_EQ(gadget_text(2), L"beta");

    // An edited text that matches no item is no current item.
    set_gadget_text(2, L"delta");
    EXPECT_EQ(gadget_state(2), -1);
    EXPECT_EQ(gadget_item_text(2, 2), L"gamma");
    EXPECT_EQ(gadget_item_text(2, 9), L"");
}

TEST_F(FormTest, OnlyEditableComboBoxesReportFocus) {
    HWND editable = as_window(create_combo_box(2, 7, 27, 210, 23, kComboEditable));
    HWND list = as_window(create_combo_box(5, 7, 60, 210, 23, 0));
    ASSERT_TRUE(editable && list);
    EXPECT_TRUE(GetWindowLongW(GetWindow(editable, GW_CHILD), GWL_STYLE) & WS_TABSTOP);
    SetFocus(GetWindow(editable, GW_CHILD));
    SetFocus(list);
    const auto events = collect_events(150);
    EXPECT_EQ(events_for(events, gadget_event, 2, 14000), 1);
    EXPECT_EQ(events_for(events, gadget_event, 2, 14001), 1);
    EXPECT_EQ(events_for(events, gadget_event, 5, 14000), 0);
    // Typing into the editable one is a change, a key at a time.
    SetForegroundWindow(window);
    SetFocus(GetWindow(editable, GW_CHILD));
    xdotool("type ab");
    auto typed = collect_until([&] { return gadget_text(2) == L"ab"; });
    for (const SeenEvent& e : collect_events(50)) typed.push_back(e);  // the last key's own
    EXPECT_EQ(events_for(typed, gadget_event, 2, 0x300), 2);
    // A control whose gadget is torn down (its number already given up)
    // posts nothing, whatever still reaches it.
    SetWindowLongPtrW(list, GWLP_ID, kTornDown);
    notify_gadget_event(list, kEventLeftClick);
    EXPECT_EQ(count_code(collect_events(50), gadget_event), 0);
    SetWindowLongPtrW(list, GWLP_ID, 5);  // live again, so that its teardown runs
}

TEST_F(FormTest, AMenuBarAppearsWithItsFirstTitleAndAChosenItemIsAnEvent) {
    ASSERT_NE(create_menu(8, window), 0);
    EXPECT_EQ(GetMenu(window), nullptr);
    menu_title(L"Fichiers");
    menu_item(16, L"Ouvrir fichier parametre");
    HMENU bar = GetMenu(window);
    ASSERT_EQ(bar, menu_handle(8));
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    HMENU drop_down = GetSubMenu(bar, 0);
    ASSERT_NE(drop_down, nullptr);
    EXPECT_EQ(GetMenuItemID(drop_down, 0), 16u);

    // Open it with the mouse and choose the item; the menu's own loop runs
    // inside our pump, so the input is sent without waiting for it.
    RECT title{};
    ASSERT_TRUE(GetMenuItemRect(window, bar, 0, &title));
    const int x = (title.left + title.right) / 2, y = (title.top + title.bottom) / 2;
    run_unix_detached("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                      " click 1 sleep 0.5 mousemove --sync " + std::to_string(x + 10) + " " +
                      std::to_string(title.bottom + 10) + " click 1");
    const auto chosen = collect_until([] { return event_gadget() == 16 && event_window() == 0; });
    EXPECT_EQ(events_for(chosen, menu_event, 16, 0), 1);

    // A second title goes on the bar; re-using the number destroys the old bar.
    menu_title(L"Second");
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    ASSERT_NE(create_menu(8, window), 0);
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_EQ(GetPropW(window, kMenuCallbackProperty) != nullptr, true);
    menu_item(17, L"Direct");  // straight onto the new bar
    EXPECT_EQ(GetMenuItemID(GetMenu(window), 0), 17u);
    close_window(0);
    EXPECT_EQ(menu_handle(8), nullptr);  // the window took its bar along
    menu_title(L"After");  // no current menu any more: nothing happens
    menu_item(18, L"After");
    window = as_window(open_window(0, kLeft, kTop, 600, 500, L"Forms", WS_POPUP));
    EXPECT_EQ(GetMenu(window), nullptr);

    // Bars made with -1 on two windows: closing one leaves the other's.
    open_window(1, kLeft, kTop, 200, 100, L"Other", WS_POPUP);
    const std::intptr_t mine = create_menu(kAllocateNumber, window);
    menu_title(L"Mine");
    create_menu(kAllocateNumber, window_handle(1));
    menu_title(L"Other");
    close_window(1);
    EXPECT_EQ(window_handle(1), nullptr);
    EXPECT_EQ(menu_handle(mine), GetMenu(window));
}

}  // namespace
}  // namespace tessel::testing
