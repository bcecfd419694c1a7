// The tree and editor gadgets, and the add-on's complete window, built in
// this process.

#include <richedit.h>

#include <cstring>

#include "addon/addon_window.h"
#include "tests/support/window_fixture.h"
#include "toolkit/forms/editor.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/forms/menus.h"
#include "toolkit/forms/tree.h"

namespace tessel::testing {
namespace {

using TreeTest = WindowTest;
using EditorTest = WindowTest;

HTREEITEM native(ObjectId tree, int position) {
    GadgetRecord* record = find_gadget(tree);
    return reinterpret_cast<HTREEITEM>(record->ops->get_item_handle(record, position));
}

HTREEITEM relative(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The native items depth first, which is the order positions follow.
void walk(HWND tree, HTREEITEM first, std::vector<HTREEITEM>& order) {
    for (HTREEITEM item = first; item; item = relative(tree, TVGN_NEXT, item)) {
        order.push_back(item);
        walk(tree, relative(tree, TVGN_CHILD, item), order);
    }
}

// Positions, native order and parameters agree.
void expect_consistent(ObjectId tree) {
    HWND control = gadget_handle(tree);
    std::vector<HTREEITEM> order;
    walk(control, relative(control, TVGN_ROOT, nullptr), order);
    ASSERT_EQ(static_cast<int>(order.size()), count_gadget_items(tree));
    for (int i = 0; i < static_cast<int>(order.size()); ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], native(tree, i)) << "position " << i;
        TVITEMW fields{};
        fields.mask = TVIF_PARAM | TVIF_HANDLE;
        fields.hItem = order[static_cast<std::size_t>(i)];
        SendMessageW(control, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
        ASSERT_EQ(fields.lParam, i);
    }
}

TEST_F(TreeTest, HundredsOfItemsKeepTheirOrderAndPlaceThroughInsertsAndRemovals) {
    HWND tree = as_window(create_tree(6, 7, 79, 538, 400, kTreeShowSelection));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(tree, GWL_STYLE)), 0x50010027u);
    EXPECT_TRUE(GetWindowLongW(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    for (int i = 0; i < 300; ++i)
        add_gadget_item(6, -1, (L"item " + std::to_wstring(i)).c_str(), 0, i % 3);
    ASSERT_EQ(count_gadget_items(6), 300);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(gadget_item_attribute(6, i, kItemSublevel), i % 3);
        ASSERT_EQ(relative(tree, TVGN_PARENT, native(6, i)), i % 3 ? native(6, i - 1) : nullptr);
    }
    expect_consistent(6);
    EXPECT_EQ(gadget_item_text(6, 299), L"item 299");

    // After an item with children, an insert becomes its first child.
    add_gadget_item(6, 1, L"inserted", 0, 0);
    EXPECT_EQ(gadget_item_text(6, 1), L"inserted");
    EXPECT_EQ(gadget_item_attribute(6, 1, kItemSublevel), 1);
    expect_consistent(6);
    // Removing an item removes its subtree: 0, "inserted", 1 and 2.
    remove_gadget_item(6, 0);
    EXPECT_EQ(count_gadget_items(6), 297);
    EXPECT_EQ(gadget_item_text(6, 0), L"item 3");
    expect_consistent(6);
    // An item that loses its last child loses its button too.
    remove_gadget_item(6, 1);
    TVITEMW fields{};
    fields.mask = TVIF_CHILDREN | TVIF_HANDLE;
    fields.hItem = native(6, 0);
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
    EXPECT_EQ(fields.cChildren, 0);
    EXPECT_EQ(gadget_item_text(6, 5000), L"");
    const int before = count_gadget_items(6);
    remove_gadget_item(6, -3);  // names no item: nothing goes
    EXPECT_EQ(count_gadget_items(6), before);
    ASSERT_GT(before, 0);
    clear_gadget_items(6);
    EXPECT_EQ(count_gadget_items(6), 0);
    EXPECT_EQ(gadget_state(6), -1);
}

// An item's label on the screen.
RECT label_of(HWND tree, int position) {
    RECT label{};
    const HTREEITEM item = native(6, position);
    std::memcpy(&label, &item, sizeof item);  // the message's way to name the item
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&label), 2);
    return label;
}

// No --sync: it waits for a motion, and there is none when the pointer is
// there already. The server takes the move before the clicks anyway.
void mouse(int x, int y, const std::string& clicks) {
    xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " " + clicks);
}

TEST_F(TreeTest, AClickSelectsAndItsEventFollowsTheChange) {
    HWND tree = as_window(create_tree(6, 7, 79, 538, 400, kTreeShowSelection));
    for (const wchar_t* text : {L"one", L"two", L"three"}) add_gadget_item(6, -1, text);
    add_gadget_item(6, -1, L"three.a", 0, 1);
    const RECT label = label_of(tree, 1);
    click_at(label.left + 5, (label.top + label.bottom) / 2);
    auto events = collect_events(300);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events_for(events, gadget_event, 6, 0x300), 1);
    EXPECT_EQ(events_for(events, gadget_event, 6, 0), 1);
    EXPECT_EQ(events.back().type, 0);  // the click comes after the change
    EXPECT_EQ(gadget_state(6), 1);
    EXPECT_EQ(gadget_text(6), L"two");

    // Double click, right click; a right double click counts on a label and
    // on the item's button or indent, not beside it.
    const int y = (label.top + label.bottom) / 2;
    mouse(label.left + 5, y, "click --repeat 2 1");
    EXPECT_EQ(events_for(collect_events(300), gadget_event, 6, 2), 1);
    mouse(label.left + 5, y, "click 3");
    EXPECT_EQ(events_for(collect_events(300), gadget_event, 6, 1), 1);
    mouse(label.left + 5, y, "click --repeat 2 3");
    EXPECT_EQ(events_for(collect_events(300), gadget_event, 6, 3), 1);
    mouse(label.left - 10, y, "click --repeat 2 3");
    EXPECT_EQ(events_for(collect_events(300), gadget_event, 6, 3), 1);
    mouse(label.right + 60, y, "click --repeat 2 3");
    EXPECT_EQ(events_for(collect_events(300), gadget_event, 6, 3), 0);

    // An unselected item is drawn in its own colours.
    GadgetRecord* record = find_gadget(6);
    record->ops->set_item_color(record, 0, kColorBack, 0x00FF00);
    EXPECT_EQ(record->ops->get_item_color(record, 0, kColorBack), 0x00FF00);
    pump_for(50);
    const RECT first = label_of(tree, 0);
    EXPECT_GT(Screenshot::take().count(first, RGB(0, 255, 0)), 0);
    // A programmatic selection is not the user's.
    set_gadget_state(6, 2);
    EXPECT_EQ(count_code(collect_events(100), gadget_event), 0);
    EXPECT_EQ(gadget_state(6), 2);
}

TEST_F(EditorTest, AMegabyteOfTextComesBackUnchangedAndIsNeverTakenForMarkup) {
    HWND editor = as_window(create_editor(7, 7, 300, 538, 96));
    ASSERT_NE(editor, nullptr);
    // Creation is quiet. (Wine's rich edit also reports its first paint,
    // type 0x400, which the platform sends only to those who ask.)
    EXPECT_EQ(events_for(collect_events(50), gadget_event, 7, 0x300), 0);
    std::wstring text;
    for (int line = 0; text.size() < 1'000'000; ++line)
        text += L"line " + std::to_wstring(line) + L" d\u00e9j\u00e0 vu\r\n";
    // Beyond Latin-1, and a tab, kept short: Wine's rich edit lays both
    // out slowly in a megabyte (over 40 s for a tab on every line).
    text += L"\u4e2d\u6587\tend";
    set_gadget_text(7, text.c_str());
    EXPECT_EQ(gadget_text(7).size(), text.size());
    EXPECT_TRUE(gadget_text(7) == text);
    EXPECT_GT(events_for(collect_events(50), gadget_event, 7, 0x300), 0);

    // Left in place: Wine's rich edit takes minutes to delete a megabyte
    // of lines, which the window's closing does not.
}

TEST_F(EditorTest, TextThatLooksLikeMarkupIsKeptAsText) {
    create_editor(7, 7, 300, 538, 96);
    for (const wchar_t* markup : {L"{\\rtf1 not markup}", L"{{\\rtf1 x}"}) {
        set_gadget_text(7, markup);
        EXPECT_EQ(gadget_text(7), markup);
    }
    set_gadget_text(7, nullptr);
    EXPECT_EQ(gadget_text(7), L"");
    EXPECT_EQ(count_gadget_items(7), 0);
}

TEST_F(EditorTest, LinesAreCountedAddedAndRemovedInPlace) {
    create_editor(7, 7, 300, 538, 96);
    EXPECT_EQ(count_gadget_items(7), 0);
    add_gadget_item(7, -1, L"");
    EXPECT_EQ(count_gadget_items(7), 1);  // one empty line, no text yet
    EXPECT_EQ(gadget_text(7), L"");
    add_gadget_item(7, -1, L"second");
    add_gadget_item(7, -1, L"third");
    EXPECT_EQ(count_gadget_items(7), 3);
    add_gadget_item(7, 0, L"first");
    EXPECT_EQ(count_gadget_items(7), 4);
    EXPECT_EQ(gadget_item_text(7, 0), L"first");
    EXPECT_EQ(gadget_item_text(7, 2), L"second");
    set_gadget_item_text(7, 3, L"last");
    remove_gadget_item(7, 1);
    EXPECT_EQ(gadget_text(7), L"first\r\nsecond\r\nlast");
    remove_gadget_item(7, 2);
    EXPECT_EQ(gadget_text(7), L"first\r\nsecond");
    EXPECT_EQ(gadget_item_text(7, 40), L"");
    clear_gadget_items(7);
    EXPECT_EQ(count_gadget_items(7), 0);

    // Focus in and out are events; Tab is typed without navigation.
    SetFocus(gadget_handle(7));
    SetFocus(window);
    const auto events = collect_events(100);
    EXPECT_EQ(events_for(events, gadget_event, 7, 14000), 1);
    EXPECT_EQ(events_for(events, gadget_event, 7, 14001), 1);
    SendMessageW(gadget_handle(7), WM_CHAR, L'\t', 0);
    EXPECT_EQ(gadget_text(7), L"\t");
}

TEST_F(EditorTest, FlagsAttributesDisablingAndFontsKeepTheirPromises) {
    // With flag 4 Tab moves the focus instead of being typed.
    HWND editor = as_window(create_editor(7, 7, 300, 538, 16, kEditorTabNavigation));
    HWND next = as_window(create_editor(8, 7, 400, 538, 96));
    SetFocus(editor);
    SendMessageW(editor, WM_CHAR, L'\t', 0);
    EXPECT_EQ(gadget_text(7), L"");
    EXPECT_EQ(GetFocus(), next);

    // Attribute values are read whole, not by their low 32 bits.
    const std::int64_t high_only = std::int64_t{1} << 32;
    set_gadget_attribute(7, kEditorReadOnlyAttribute, high_only);
    EXPECT_EQ(gadget_attribute(7, kEditorReadOnlyAttribute), 1);
    set_gadget_attribute(7, kEditorWordWrapAttribute, high_only);
    EXPECT_EQ(gadget_attribute(7, kEditorWordWrapAttribute), high_only);
    set_gadget_attribute(7, kEditorReadOnlyAttribute, 0);
    EXPECT_EQ(gadget_attribute(7, kEditorReadOnlyAttribute), 0);

    // Disabled while under 20 pixels high, it keeps its height.
    EnableWindow(editor, FALSE);
    EXPECT_EQ(gadget_height(7), 16);
    EnableWindow(editor, TRUE);

    // A font given after a front colour keeps the text in that colour.
    set_gadget_color(8, kColorFront, 0x0000FF);
    set_gadget_font(8, load_font(3, L"Arial", 14));  // an explicit number gives the handle
    CHARFORMATW format{};
    format.cbSize = sizeof format;
    SendMessageW(next, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, 0x0000FFu);
    EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR);
    destroy_all_objects(*font_table());
}

TEST(EditorLibraries, WithoutTheNewestLibraryTheNextServesAndWithoutAnyNoEditorIsMade) {
    // Wine's loader takes its overrides from the environment it starts in,
    // so the probe is started from the shell.
    const std::wstring probe = unix_path(bin_directory() + L"editor_probe.exe");
    const std::string path = narrow(probe);
    auto run_with = [&](const std::string& disabled) {
        return run_unix("WINEDLLOVERRIDES='mscoree,mshtml=;" + disabled + "=d' wine " + path);
    };
    EXPECT_EQ(run_with("none"), 1);
    EXPECT_EQ(run_with("msftedit"), 2);
    EXPECT_EQ(run_with("msftedit,riched20,riched32"), 0);  // 0: no editor and no record

    // Libraries of the system's names beside the program are never loaded
    // (the planted one would end it with code 9), whichever is reached.
    const std::wstring planted = fresh_directory(L"planted");
    ASSERT_TRUE(copy_file(bin_directory() + L"editor_probe.exe", planted + L"editor_probe.exe"));
    for (const wchar_t* name : {L"MSFTEDIT.DLL", L"RICHED20.DLL", L"RICHED32.DLL", L"dwmapi.dll", L"COMCTL32.DLL"})
        ASSERT_TRUE(copy_file(bin_directory() + L"planted_library.dll", planted + name));
    const std::string planted_probe = narrow(planted) + "editor_probe.exe";
    auto planted_with = [&](const std::string& disabled) {
        return run_unix("WINEDLLOVERRIDES='mscoree,mshtml=;" + disabled + "=d' wine '" + planted_probe + "'");
    };
    EXPECT_EQ(planted_with("none"), 1);
    EXPECT_EQ(planted_with("msftedit,riched20"), run_with("msftedit,riched20"));
}

class AddonWindow : public ::testing::Test {
protected:
    void TearDown() override {
        close_window(addon::kWindow);
        destroy_all_objects(*font_table());
        pump_for(10);
    }
};

TEST_F(AddonWindow, TheTreeDrawsInTwelvePointArialAndTheEditorIsWritable) {
    addon::build_window(addon::kVariants[0]);
    auto font = reinterpret_cast<HFONT>(SendMessageW(gadget_handle(addon::kTree), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW described{};
    ASSERT_TRUE(GetObjectW(font, sizeof described, &described));
    EXPECT_STREQ(described.lfFaceName, L"Arial");
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(described.lfHeight, -MulDiv(12, dpi, 72));  // 12 points at the display's DPI
    HWND editor = gadget_handle(addon::kEditor);
    EXPECT_EQ(gadget_attribute(addon::kEditor, kEditorReadOnlyAttribute), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(editor, GWL_STYLE)) & 0xFFFF, 0x11C4u);
    EXPECT_EQ(gadget_height(addon::kUpperCombo), 23);
    EXPECT_EQ(gadget_height(addon::kLowerCombo), 23);
    HMENU bar = menu_handle(addon::kMenuBar);
    wchar_t title[32] = {}, item[64] = {};
    GetMenuStringW(bar, 0, title, 32, MF_BYPOSITION);
    GetMenuStringW(GetSubMenu(bar, 0), addon::kOpenSettingsItem, item, 64, MF_BYCOMMAND);
    EXPECT_STREQ(title, L"Fichiers");
    EXPECT_STREQ(item, L"Ouvrir fichier parametre");
    EXPECT_EQ(gadget_color(addon::kCaption, kColorFront), 0xFFFFFF);  // Emberpane: white on red
    EXPECT_EQ(gadget_color(addon::kCaption, kColorBack), 0x0000FF);
}

// At any DPI every label's text fits its control, measured with the
// control's own font, and each combo box is as tall as its text.
TEST_F(AddonWindow, EveryLabelFitsItsControlAtTheDisplaysDpi) {
    addon::build_window(addon::kVariants[0]);
    auto text_size = [](HWND control, const std::wstring& text) {
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        return size;
    };
    for (ObjectId label : {addon::kCaption, addon::kDisconnectButton, addon::kRefreshButton}) {
        HWND control = gadget_handle(label);
        const SIZE text = text_size(control, gadget_text(label));
        const RECT client = client_rect(control);
        EXPECT_LE(text.cx, client.right) << label;
        EXPECT_LE(text.cy, client.bottom) << label;
    }
    for (ObjectId combo : {addon::kUpperCombo, addon::kLowerCombo}) {
        HWND control = gadget_handle(combo);
        EXPECT_LE(text_size(control, L"Ag").cy, client_rect(control).bottom) << combo;
    }
}

// What one complete window holds that its closing must give back.
struct Held {
    HWND window;
    HMENU bar;
    HFONT tree_font;
    HBRUSH background;
};

Held build_and_close() {
    addon::build_window(addon::kVariants[1]);
    pump_for(1);
    const Held held{window_handle(addon::kWindow), menu_handle(addon::kMenuBar),
                    reinterpret_cast<HFONT>(SendMessageW(gadget_handle(addon::kTree), WM_GETFONT, 0, 0)),
                    find_window_record(addon::kWindow)->background_brush};
    close_window(addon::kWindow);
    destroy_all_objects(*font_table());  // the font outlives its window, as at exit
    return held;
}

TEST_F(AddonWindow, OpeningAndClosingItAHundredTimesLeavesNoHandlesBehind) {
    build_and_close();  // the first one loads libraries and registers classes
    HANDLE self = GetCurrentProcess();
    DWORD kernel = 0, kernel_after = 0;
    GetProcessHandleCount(self, &kernel);
    const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS), user = GetGuiResources(self, GR_USEROBJECTS);
    const std::size_t brushes = brush_cache_entries();
    Held last{};
    for (int i = 0; i < 100; ++i) last = build_and_close();
    GetProcessHandleCount(self, &kernel_after);
    const DWORD gdi_after = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD user_after = GetGuiResources(self, GR_USEROBJECTS);
    std::printf("over 100 windows: GDI objects %lu -> %lu, USER objects %lu -> %lu, handles %lu -> %lu\n",
                gdi, gdi_after, user, user_after, kernel, kernel_after);
    EXPECT_LE(gdi_after, gdi + 2);
    EXPECT_LE(user_after, user + 2);
    EXPECT_LE(kernel_after, kernel + 2);
    // Wine counts no GUI objects (it answers 0), so each kind is checked
    // for itself too.
    EXPECT_FALSE(IsWindow(last.window));
    EXPECT_FALSE(IsMenu(last.bar));
    EXPECT_EQ(GetObjectType(last.tree_font), 0u);
    EXPECT_EQ(GetObjectType(last.background), 0u);
    EXPECT_EQ(brush_cache_entries(), brushes);
    EXPECT_EQ(menu_handle(addon::kMenuBar), nullptr);
    EXPECT_EQ(gadget_handle(addon::kTree), nullptr);
}

}  // namespace
}  // namespace tessel::testing
