#include "addon/addon_window.h"

#include "toolkit/forms/button.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/combo_box.h"
#include "toolkit/forms/editor.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/forms/menus.h"
#include "toolkit/forms/text.h"
#include "toolkit/forms/tree.h"
#include "toolkit/window/window.h"

namespace tessel::addon {
namespace {

constexpr unsigned kCentred = SS_CENTER;
constexpr unsigned kEditableCombo = kComboEditable | CBS_AUTOHSCROLL;
static_assert(kEditableCombo == 66);
constexpr int kTreeFontPoints = 12;

}  // namespace

void build_window(const Variant& variant) {
    open_window(kWindow, kWindowX, kWindowY, kWindowWidth, kWindowHeight, variant.title, kWindowFlags);
    create_text(kCaption, 0, 4, 553, 19, L"This is an external embeded application", kCentred);
    create_combo_box(kUpperCombo, 7, 27, 210, 23, kEditableCombo);
    create_button(kDisconnectButton, 233, 27, 104, 22, L"D\u00e9connection");
    create_button(kRefreshButton, 352, 27, 72, 22, L"Rafraichir");
    create_combo_box(kLowerCombo, 7, 54, 538, 23, kEditableCombo);
    create_tree(kTree, 7, 79, 538, 501, kTreeShowSelection);
    create_editor(kEditor, 7, 587, 538, 96);

    const std::intptr_t font = load_font(kAllocateNumber, L"Arial", kTreeFontPoints);
    set_gadget_font(kTree, as_native(font_handle(font)));
    set_window_color(kWindow, variant.window_color);
    set_gadget_color(kCaption, kColorFront, variant.caption_front);
    set_gadget_color(kCaption, kColorBack, variant.caption_back);

    // The bar comes last: the window keeps its outer size and the gadgets
    // their client coordinates.
    create_menu(kMenuBar, window_handle(kWindow));
    menu_title(L"Fichiers");
    menu_item(kOpenSettingsItem, L"Ouvrir fichier parametre");
}

}  // namespace tessel::addon
