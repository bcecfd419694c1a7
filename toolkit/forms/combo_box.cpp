#include "toolkit/forms/combo_box.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/forms/common_controls.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/window/dpi.h"

namespace tessel {
namespace {

constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP;
static_assert(kComboStyle == 0x50A20000);
constexpr unsigned kDropListFlags = CBS_DROPDOWNLIST | WS_TABSTOP;  // 0x10003
constexpr unsigned kSkipEmptyListStep = kComboUpperCase | kComboLowerCase;
constexpr DWORD kSelectOnlyBit = 0x1;  // CBS_SIMPLE's bit: set in a drop list
// The created height holds the drop-down list as well.
constexpr int kExtendedCreatedHeight = 350;
constexpr int kUnthemedCreatedHeight = 350;
constexpr int kThemedListRoom = 30;
constexpr int kProbeFieldHeight = 15;
constexpr int kVisibleWhileClearing = 1;
constexpr int kVisibleItems = 30;
constexpr int kMinimumHeight = 21;
constexpr int kHeightPadding = 8;
constexpr int kImageSize = 16;

// Per-type words.
constexpr int kExtendedWord = 0;
constexpr int kImagesWord = 1;
constexpr int kSelectingWord = 2;

int& frame_height() {
    static int height = -1;
    return height;
}

bool is_extended(const GadgetRecord* r) { return r->words[kExtendedWord] != 0; }
HIMAGELIST images(const GadgetRecord* r) { return reinterpret_cast<HIMAGELIST>(r->words[kImagesWord]); }
bool selecting(const GadgetRecord* r) { return r->words[kSelectingWord] != 0; }

bool is_editable(HWND control) {
    return !(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & kSelectOnlyBit);
}

int window_height(HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    return area.bottom - area.top;
}

// The selection field's height that makes the closed control `height` tall.
void set_closed_height(const GadgetRecord* r, int height) {
    send_to(r, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - frame_height());
}

int image_index(GadgetRecord* r, std::intptr_t image) {
    if (!image) return -1;
    HIMAGELIST list = images(r);
    if (!list) {
        list = ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 4, 4);
        r->words[kImagesWord] = reinterpret_cast<std::intptr_t>(list);
        if (!list) return -1;
        send_to(r, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    }
    return ImageList_AddIcon(list, reinterpret_cast<HICON>(image));
}

std::intptr_t add_combo_item(GadgetRecord* r, int position, const wchar_t* text,
                             std::intptr_t image) {
    const int closed = window_height(r->handle);
    if (!is_extended(r)) {
        if (position < -1) return 1;
        send_to(r, CB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text ? text : L""));
        if (send_to(r, CB_GETDROPPEDSTATE)) set_closed_height(r, closed);
        return 1;
    }
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = position < 0 ? send_to(r, CB_GETCOUNT) : position;
    item.pszText = const_cast<wchar_t*>(text ? text : L"");
    const int index = image_index(r, image);
    if (index >= 0) {
        item.mask |= CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iImage = item.iSelectedImage = index;
    }
    send_to(r, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    set_closed_height(r, closed);
    return 1;
}

void clear_combo_items(GadgetRecord* r) {
    // A list that has just been emptied keeps its drop-down height unless
    // the minimum of visible items drops first.
    send_to(r, CB_SETMINVISIBLE, kVisibleWhileClearing);
    send_to(r, CB_RESETCONTENT);
    send_to(r, CB_SETMINVISIBLE, kVisibleItems);
    if (HIMAGELIST list = images(r)) ImageList_RemoveAll(list);
}

// A new or re-fonted control whose list has never held an item drops down
// a list of the wrong height; one item added and cleared sets it right.
void run_empty_list_step(GadgetRecord* r) {
    if (send_to(r, CB_GETCOUNT) != 0) return;
    add_combo_item(r, -1, L"", 0);
    clear_combo_items(r);
}

void release_combo(GadgetRecord* r) {
    if (HIMAGELIST list = images(r)) ImageList_Destroy(list);
    r->words[kImagesWord] = 0;
}

HWND edit_field(HWND control, bool extended) {
    return extended ? reinterpret_cast<HWND>(SendMessageW(control, CBEM_GETEDITCONTROL, 0, 0))
                    : GetWindow(control, GW_CHILD);
}

std::wstring item_text(GadgetRecord* r, int position) {
    const LRESULT length = send_to(r, CB_GETLBTEXTLEN, static_cast<WPARAM>(position));
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = send_to(r, CB_GETLBTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
    return text;
}

LRESULT find_exact(const GadgetRecord* r, const wchar_t* text) {
    return send_to(r, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

// An edited text that matches no item reads as no current item.
std::int64_t get_combo_state(GadgetRecord* r) {
    const LRESULT index = send_to(r, CB_GETCURSEL);
    if (index == CB_ERR || !is_editable(r->handle) || selecting(r)) return index;
    const std::wstring text = window_text(r->handle);
    return find_exact(r, text.c_str()) == CB_ERR ? -1 : index;
}

void set_combo_state(GadgetRecord* r, std::int32_t low, std::int32_t) {
    send_to(r, CB_SETCURSEL, static_cast<WPARAM>(low));
}

// While the selection changes, the window text still holds the old item.
std::wstring get_combo_text(GadgetRecord* r) {
    if ((is_extended(r) && !is_editable(r->handle)) || selecting(r)) {
        const auto index = static_cast<int>(get_combo_state(r));
        return index < 0 ? std::wstring() : item_text(r, index);
    }
    return window_text(r->handle);
}

void set_combo_text(GadgetRecord* r, const wchar_t* text) {
    if (is_editable(r->handle)) {
        SetWindowTextW(r->handle, text ? text : L"");
        return;
    }
    if (!text || !*text) {
        send_to(r, CB_SETCURSEL, static_cast<WPARAM>(-1));
        return;
    }
    const LRESULT found = find_exact(r, text);
    if (found != CB_ERR) send_to(r, CB_SETCURSEL, static_cast<WPARAM>(found));
}

void remove_combo_item(GadgetRecord* r, int position) {
    send_to(r, CB_DELETESTRING, static_cast<WPARAM>(position));
    InvalidateRect(r->handle, nullptr, TRUE);
}

int count_combo_items(GadgetRecord* r) { return static_cast<int>(send_to(r, CB_GETCOUNT)); }

std::wstring get_combo_item_text(GadgetRecord* r, int position) { return item_text(r, position); }

void set_combo_item_text(GadgetRecord* r, int position, const wchar_t* text) {
    const bool current = send_to(r, CB_GETCURSEL) == position;
    if (is_extended(r)) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = position;
        item.pszText = const_cast<wchar_t*>(text ? text : L"");
        send_to(r, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (current) InvalidateRect(r->handle, nullptr, TRUE);
        return;
    }
    const LRESULT data = send_to(r, CB_GETITEMDATA, static_cast<WPARAM>(position));
    if (send_to(r, CB_DELETESTRING, static_cast<WPARAM>(position)) == CB_ERR) return;
    send_to(r, CB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text ? text : L""));
    send_to(r, CB_SETITEMDATA, static_cast<WPARAM>(position), data);
    if (current) send_to(r, CB_SETCURSEL, static_cast<WPARAM>(position));
}

void set_combo_item_data(GadgetRecord* r, int position, std::intptr_t value) {
    send_to(r, CB_SETITEMDATA, static_cast<WPARAM>(position), value);
}

std::intptr_t get_combo_item_data(GadgetRecord* r, int position) {
    return send_to(r, CB_GETITEMDATA, static_cast<WPARAM>(position));
}

void set_combo_item_image(GadgetRecord* r, int position, std::intptr_t image) {
    if (!is_extended(r)) return;
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = position;
    item.iImage = item.iSelectedImage = image_index(r, image);
    send_to(r, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void resize_combo(GadgetRecord* r, int x, int y, int width, int height) {
    const LRESULT current = send_to(r, CB_GETCURSEL);
    const int closed = height == kKeepCurrent ? window_height(r->handle) : scale_y(height);
    resize_gadget_window(r, x, y, width, kKeepCurrent);
    set_closed_height(r, closed);
    send_to(r, CB_SETCURSEL, static_cast<WPARAM>(current));
}

void set_combo_font(GadgetRecord* r, std::intptr_t font) {
    const int closed = window_height(r->handle);
    HFONT handle = font == kDefaultGadgetFont ? default_gadget_font() : reinterpret_cast<HFONT>(font);
    send_to(r, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    set_closed_height(r, closed);
    run_empty_list_step(r);
}

void measure_combo(GadgetRecord* r, int* width, int* height) {
    *width = *height = 0;
    ControlFontDc dc(r->handle);
    if (!dc.get()) return;
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), L"Hg", 2, &extent);
    *width = scale_x(extent.cx);
    *height = scale_y(std::max(static_cast<int>(extent.cy) + kHeightPadding, kMinimumHeight));
}

LRESULT report_combo_change(GadgetRecord* r, HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_COMMAND) return kNotHandled;
    switch (HIWORD(wparam)) {
        case CBN_SELCHANGE:
            r->words[kSelectingWord] = 1;
            notify_gadget_event(r->handle, kEventChange);
            r->words[kSelectingWord] = 0;
            break;
        case CBN_SETFOCUS:
            if (is_editable(r->handle)) notify_gadget_event(r->handle, kEventFocus);
            break;
        case CBN_KILLFOCUS:
            if (is_editable(r->handle)) notify_gadget_event(r->handle, kEventFocusLost);
            break;
        case CBN_EDITCHANGE:
            notify_gadget_event(r->handle, kEventChange);
            break;
        default:
            break;
    }
    return 0;
}

constexpr GadgetTypeOps kComboOps{
    .type_code = kComboBoxKind,
    .table_size = kGadgetOpsSize,
    .message_hook = report_combo_change,
    .release = release_combo,
    .get_state = get_combo_state,
    .set_state = set_combo_state,
    .get_text = get_combo_text,
    .set_text = set_combo_text,
    .add_item = add_combo_item,
    .remove_item = remove_combo_item,
    .clear_items = clear_combo_items,
    .resize = resize_combo,
    .count_items = count_combo_items,
    .get_item_text = get_combo_item_text,
    .set_item_text = set_combo_item_text,
    .set_item_data = set_combo_item_data,
    .get_item_data = get_combo_item_data,
    .required_size = measure_combo,
    .set_font = set_combo_font,
    .set_item_image = set_combo_item_image,
};

}  // namespace

int combo_frame_height() { return frame_height(); }

std::intptr_t create_combo_box(ObjectId number, int x, int y, int width, int height,
                               unsigned flags) {
    probe_visual_styles();
    const bool extended = flags & kComboExtended;
    const int created = extended               ? kExtendedCreatedHeight
                        : visual_styles_active() ? height + kThemedListRoom
                                               : kUnthemedCreatedHeight;
    const bool editable = flags & kComboEditable;
    if (!editable) flags |= kDropListFlags;
    HWND control = create_gadget_window({0, extended ? WC_COMBOBOXEXW : L"ComboBox", nullptr,
                                         flags | kComboStyle, x, y, width, created});
    if (!control) return 0;
    GadgetRecord* record = reserve_gadget(number, control);
    if (!record) return 0;
    record->words[kExtendedWord] = extended;
    record->words[kSelectingWord] = 0;
    if (editable)
        if (HWND field = edit_field(control, extended))
            SetWindowLongW(field, GWL_STYLE, GetWindowLongW(field, GWL_STYLE) | WS_TABSTOP);
    const std::intptr_t result = register_gadget(number, record, control, &kComboOps);

    frame_height() = -1;
    send_to(record, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kProbeFieldHeight);
    frame_height() = window_height(control) - kProbeFieldHeight;
    set_closed_height(record, scale_y(height));
    if (!(flags & kSkipEmptyListStep)) run_empty_list_step(record);
    return result;
}

}  // namespace tessel
