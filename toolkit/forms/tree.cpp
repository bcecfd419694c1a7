#include "toolkit/forms/tree.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "toolkit/forms/common_controls.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/event_pump.h"

namespace tessel {
namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
static_assert(kTreeStyle == 0x50010000);
constexpr wchar_t kThreeStateProperty[] = L"ZW_3State";
// Posted to the control on NM_CLICK, so that the click event follows every
// event the click itself caused.
constexpr UINT kClickDone = WM_USER + 100;
constexpr UINT kRefusedSelectionAction = 0x1000;
constexpr UINT kStateChanged = TVIF_STATE;  // changed-fields value of a state change
constexpr int kTextLimit = 4096;
constexpr int kImageSize = 16;
constexpr UINT kStateImageBits = TVIS_STATEIMAGEMASK;
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kThirdState = INDEXTOSTATEIMAGEMASK(3);
constexpr DWORD kNtPlatform = VER_PLATFORM_WIN32_NT;

// Per-type words.
constexpr int kImagesWord = 0;
constexpr int kEntriesWord = 1;
constexpr int kCapacityWord = 2;
constexpr int kCountWord = 3;

struct TreeModule {
    WNDPROC control_procedure = nullptr;
    bool item_change_notifications = false;
    bool set_up = false;
    int* drag_block = nullptr;  // pending drag data: the dragged position
};

TreeModule& module() {
    static TreeModule tree_module;
    return tree_module;
}

// --- the item array ---------------------------------------------------------

TreeEntry* entries(const GadgetRecord* r) { return reinterpret_cast<TreeEntry*>(r->words[kEntriesWord]); }
int count(const GadgetRecord* r) { return static_cast<int>(r->words[kCountWord]); }
int capacity(const GadgetRecord* r) { return static_cast<int>(r->words[kCapacityWord]); }
bool in_range(const GadgetRecord* r, int position) { return position >= 0 && position < count(r); }

TreeEntry* allocate_entries(int entries_wanted) {
    return static_cast<TreeEntry*>(HeapAlloc(private_heap(), HEAP_ZERO_MEMORY,
                                             sizeof(TreeEntry) * static_cast<SIZE_T>(entries_wanted)));
}

bool resize_array(GadgetRecord* r, int wanted) {
    void* grown = HeapReAlloc(private_heap(), HEAP_ZERO_MEMORY, entries(r),
                              sizeof(TreeEntry) * static_cast<SIZE_T>(wanted));
    if (!grown) return false;
    r->words[kEntriesWord] = reinterpret_cast<std::intptr_t>(grown);
    r->words[kCapacityWord] = wanted;
    return true;
}

void shrink_array(GadgetRecord* r) {
    int wanted = capacity(r);
    while (wanted - count(r) > kTreeArrayStep) wanted -= kTreeArrayStep;
    if (wanted != capacity(r)) resize_array(r, wanted);
}

// --- the native items -------------------------------------------------------

HTREEITEM next_item(const GadgetRecord* r, UINT relation, HTREEITEM item = nullptr) {
    return reinterpret_cast<HTREEITEM>(send_to(r, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM parent_of(const GadgetRecord* r, HTREEITEM item) { return next_item(r, TVGN_PARENT, item); }

int sublevel_of(const GadgetRecord* r, HTREEITEM item) {
    int level = 0;
    for (HTREEITEM up = parent_of(r, item); up; up = parent_of(r, up)) ++level;
    return level;
}

TVITEMW item_fields(const GadgetRecord* r, HTREEITEM item, UINT mask) {
    TVITEMW fields{};
    fields.mask = mask | TVIF_HANDLE;
    fields.hItem = item;
    fields.stateMask = 0xFFFFFFFF;
    send_to(r, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
    return fields;
}

void set_item_fields(const GadgetRecord* r, TVITEMW fields) {
    fields.mask |= TVIF_HANDLE;
    send_to(r, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
}

bool has_child_marker(const GadgetRecord* r, HTREEITEM item) {
    return item_fields(r, item, TVIF_CHILDREN).cChildren != 0;
}

void set_child_marker(const GadgetRecord* r, HTREEITEM item, bool on) {
    TVITEMW fields{};
    fields.mask = TVIF_CHILDREN;
    fields.hItem = item;
    fields.cChildren = on ? 1 : 0;
    set_item_fields(r, fields);
}

UINT state_of(const GadgetRecord* r, HTREEITEM item, UINT mask) {
    return static_cast<UINT>(send_to(r, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

void set_state_bits(const GadgetRecord* r, HTREEITEM item, UINT state, UINT mask) {
    TVITEMW fields{};
    fields.mask = TVIF_STATE;
    fields.hItem = item;
    fields.state = state;
    fields.stateMask = mask;
    set_item_fields(r, fields);
}

// Every native item's parameter is its position in the array.
void renumber_from(const GadgetRecord* r, int first) {
    TreeEntry* e = entries(r);
    for (int i = first; i < count(r); ++i) {
        TVITEMW fields{};
        fields.mask = TVIF_PARAM;
        fields.hItem = e[i].handle;
        fields.lParam = i;
        set_item_fields(r, fields);
    }
}

int position_of(const GadgetRecord* r, HTREEITEM item) {
    return item ? static_cast<int>(item_fields(r, item, TVIF_PARAM).lParam) : -1;
}

std::wstring text_of(const GadgetRecord* r, HTREEITEM item) {
    if (!item) return {};
    wchar_t buffer[kTextLimit + 1] = {};
    TVITEMW fields{};
    fields.mask = TVIF_TEXT | TVIF_HANDLE;
    fields.hItem = item;
    fields.pszText = buffer;
    fields.cchTextMax = kTextLimit + 1;
    send_to(r, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&fields));
    return buffer;
}

void set_text_of(const GadgetRecord* r, HTREEITEM item, const wchar_t* text) {
    if (!item) return;
    TVITEMW fields{};
    fields.mask = TVIF_TEXT;
    fields.hItem = item;
    fields.pszText = const_cast<wchar_t*>(text ? text : L"");
    set_item_fields(r, fields);
}

bool has_check_boxes(HWND control) { return GetWindowLongW(control, GWL_STYLE) & TVS_CHECKBOXES; }

// --- images -----------------------------------------------------------------

HIMAGELIST images(const GadgetRecord* r) { return reinterpret_cast<HIMAGELIST>(r->words[kImagesWord]); }

int image_index(GadgetRecord* r, std::intptr_t image) {
    if (!image) return -1;
    HIMAGELIST list = images(r);
    if (!list) {
        list = ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 4, 4);
        if (!list) return -1;
        r->words[kImagesWord] = reinterpret_cast<std::intptr_t>(list);
        send_to(r, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
    }
    return ImageList_AddIcon(list, reinterpret_cast<HICON>(image));
}

// --- three states -----------------------------------------------------------

void fix_third_state(GadgetRecord* r, int position) {
    if (!in_range(r, position)) return;
    TreeEntry& entry = entries(r)[position];
    const UINT image = state_of(r, entry.handle, kStateImageBits);
    const bool third = image >= kThirdState && image < INDEXTOSTATEIMAGEMASK(4);
    if (third && !entry.three_state) set_state_bits(r, entry.handle, kUnchecked, kStateImageBits);
    else if (!third && entry.three_state) entry.three_state = 0;
}

bool is_three_state(HWND control) { return GetPropW(control, kThreeStateProperty) != nullptr; }

// The platform's check boxes have two state images; the third, drawn like a
// greyed check, is added here.
void add_third_state_image(HWND control) {
    auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(control, TVM_GETIMAGELIST, TVSIL_STATE, 0));
    if (!list) return;
    int w = 0, h = 0;
    ImageList_GetIconSize(list, &w, &h);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT area{0, 0, w, h};
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    InflateRect(&area, -1, -1);
    DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE | DFCS_FLAT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
}

// --- slots ------------------------------------------------------------------

std::intptr_t add_tree_item(GadgetRecord* r, int position, const wchar_t* text, std::intptr_t image,
                            int sublevel) {
    const int n = count(r);
    const int index = position >= 0 && position <= n ? position : n;
    if (n == capacity(r) && !resize_array(r, capacity(r) + kTreeArrayStep)) return 0;
    TreeEntry* e = entries(r);

    HTREEITEM parent = TVI_ROOT, after = TVI_FIRST;
    if (index > 0) {
        HTREEITEM previous = e[index - 1].handle;
        const int previous_level = sublevel_of(r, previous);
        if (has_child_marker(r, previous)) {
            parent = previous;  // first child, whatever the sublevel
        } else if (sublevel > previous_level) {
            parent = previous;
            set_child_marker(r, previous, true);
        } else {
            // Inserting before an entry deeper than asked would cut it off
            // from its parent: go no higher than that entry.
            if (index < n) sublevel = std::max(sublevel, sublevel_of(r, e[index].handle));
            HTREEITEM up = parent_of(r, previous);
            after = previous;
            for (int climb = previous_level - sublevel; climb > 0 && up; --climb) {
                after = up;
                up = parent_of(r, up);
            }
            parent = up ? up : TVI_ROOT;
        }
    }

    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.itemex.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.itemex.pszText = const_cast<wchar_t*>(text ? text : L"");
    insert.itemex.lParam = index;
    const int picture = image_index(r, image);
    if (picture >= 0) {
        insert.itemex.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.itemex.iImage = insert.itemex.iSelectedImage = picture;
    }
    auto item = reinterpret_cast<HTREEITEM>(send_to(r, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return 0;
    std::memmove(e + index + 1, e + index, sizeof(TreeEntry) * static_cast<std::size_t>(n - index));
    e[index] = TreeEntry{item, 0, kNoColor, kNoColor, 0};
    r->words[kCountWord] = n + 1;
    renumber_from(r, index + 1);
    return reinterpret_cast<std::intptr_t>(item);
}

void remove_tree_item(GadgetRecord* r, int position) {
    if (!in_range(r, position)) return;
    TreeEntry* e = entries(r);
    const int level = sublevel_of(r, e[position].handle);
    int end = position + 1;
    while (end < count(r) && sublevel_of(r, e[end].handle) > level) ++end;
    HTREEITEM parent = parent_of(r, e[position].handle);
    send_to(r, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(e[position].handle));
    std::memmove(e + position, e + end, sizeof(TreeEntry) * static_cast<std::size_t>(count(r) - end));
    r->words[kCountWord] = count(r) - (end - position);
    if (parent && !next_item(r, TVGN_CHILD, parent)) set_child_marker(r, parent, false);
    renumber_from(r, position);
    shrink_array(r);
}

void clear_tree_items(GadgetRecord* r) {
    send_to(r, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    r->words[kCountWord] = 0;
    resize_array(r, kTreeArrayStep);
    if (HIMAGELIST list = images(r)) ImageList_RemoveAll(list);
}

int count_tree_items(GadgetRecord* r) { return count(r); }

std::int64_t get_tree_state(GadgetRecord* r) { return position_of(r, next_item(r, TVGN_CARET)); }

void set_tree_state(GadgetRecord* r, std::int32_t position, std::int32_t) {
    HTREEITEM item = in_range(r, position) ? entries(r)[position].handle : nullptr;
    send_to(r, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

std::wstring get_tree_text(GadgetRecord* r) { return text_of(r, next_item(r, TVGN_CARET)); }
void set_tree_text(GadgetRecord* r, const wchar_t* text) { set_text_of(r, next_item(r, TVGN_CARET), text); }

std::wstring get_tree_item_text(GadgetRecord* r, int position) {
    return in_range(r, position) ? text_of(r, entries(r)[position].handle) : std::wstring();
}

void set_tree_item_text(GadgetRecord* r, int position, const wchar_t* text) {
    if (in_range(r, position)) set_text_of(r, entries(r)[position].handle, text);
}

int get_tree_item_state(GadgetRecord* r, int position) {
    if (!in_range(r, position)) return 0;
    const UINT state = state_of(r, entries(r)[position].handle, 0xFFFFFFFF);
    int bits = (state & TVIS_SELECTED) ? kItemSelected : 0;
    bits |= (state & TVIS_EXPANDED) ? kItemExpanded : kItemCollapsed;
    if (has_check_boxes(r->handle)) {
        const UINT image = state & kStateImageBits;
        if (image == kChecked) bits |= kItemChecked;
        if (image == kThirdState) bits |= kItemThirdState;
    }
    return bits;
}

void set_tree_item_state(GadgetRecord* r, int position, int bits) {
    if (!in_range(r, position)) return;
    TreeEntry& entry = entries(r)[position];
    if (bits & kItemSelected) {
        if (HTREEITEM marked = next_item(r, TVGN_CARET)) set_state_bits(r, marked, 0, TVIS_SELECTED);
        set_state_bits(r, entry.handle, TVIS_SELECTED, TVIS_SELECTED);
    } else {
        set_state_bits(r, entry.handle, 0, TVIS_SELECTED);
    }
    send_to(r, TVM_EXPAND, (bits & kItemExpanded) ? TVE_EXPAND : TVE_COLLAPSE,
         reinterpret_cast<LPARAM>(entry.handle));
    if (!has_check_boxes(r->handle)) return;
    const bool third = (bits & kItemThirdState) && is_three_state(r->handle);
    entry.three_state = static_cast<std::uint8_t>(third);
    const UINT image = third ? kThirdState : (bits & kItemChecked) ? kChecked : kUnchecked;
    set_state_bits(r, entry.handle, image, kStateImageBits);
}

std::int64_t get_tree_item_attribute(GadgetRecord* r, int position, int attribute) {
    if (attribute != kItemSublevel || !in_range(r, position)) return 0;
    return sublevel_of(r, entries(r)[position].handle);
}

void set_tree_color(GadgetRecord* r, int kind, Color color) {
    const auto value = static_cast<LPARAM>(static_cast<COLORREF>(color));
    if (kind == kColorFront) send_to(r, TVM_SETTEXTCOLOR, 0, value);
    else if (kind == kColorBack) send_to(r, TVM_SETBKCOLOR, 0, value);
    else if (kind == kColorLine) send_to(r, TVM_SETLINECOLOR, 0, color == kNoColor ? CLR_DEFAULT : value);
}

Color get_tree_color(GadgetRecord* r, int kind) {
    LRESULT value = 0;
    if (kind == kColorFront) value = send_to(r, TVM_GETTEXTCOLOR);
    else if (kind == kColorBack) value = send_to(r, TVM_GETBKCOLOR);
    else if (kind == kColorLine) value = send_to(r, TVM_GETLINECOLOR);
    else return kNoColor;
    const auto colour = static_cast<COLORREF>(value);
    return colour == CLR_DEFAULT || colour == CLR_NONE ? kNoColor : static_cast<Color>(colour);
}

void set_tree_item_color(GadgetRecord* r, int position, int kind, Color color) {
    if (kind != kColorFront && kind != kColorBack) return;
    const int first = position == -1 ? 0 : position;
    const int last = position == -1 ? count(r) - 1 : position;
    if (position != -1 && !in_range(r, position)) return;
    for (int i = first; i <= last; ++i) (kind == kColorFront ? entries(r)[i].front : entries(r)[i].back) = color;
    RedrawWindow(r->handle, nullptr, nullptr, kColorRedraw);
}

Color get_tree_item_color(GadgetRecord* r, int position, int kind) {
    if (!in_range(r, position)) return kNoColor;
    if (kind == kColorFront) return entries(r)[position].front;
    if (kind == kColorBack) return entries(r)[position].back;
    return kNoColor;
}

void set_tree_item_data(GadgetRecord* r, int position, std::intptr_t value) {
    if (in_range(r, position)) entries(r)[position].data = value;
}

std::intptr_t get_tree_item_data(GadgetRecord* r, int position) {
    return in_range(r, position) ? entries(r)[position].data : 0;
}

void set_tree_item_image(GadgetRecord* r, int position, std::intptr_t image) {
    if (!in_range(r, position)) return;
    TVITEMW fields{};
    fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fields.hItem = entries(r)[position].handle;
    fields.iImage = fields.iSelectedImage = image_index(r, image);
    set_item_fields(r, fields);
}

std::intptr_t get_tree_item_handle(GadgetRecord* r, int position) {
    return in_range(r, position) ? reinterpret_cast<std::intptr_t>(entries(r)[position].handle) : 0;
}

// Teardown: the image list, the three-state mark, then the item array.
void release_tree(GadgetRecord* r) {
    if (HIMAGELIST list = images(r)) ImageList_Destroy(list);
    r->words[kImagesWord] = 0;
    RemovePropW(r->handle, kThreeStateProperty);
    if (entries(r)) HeapFree(private_heap(), 0, entries(r));
    r->words[kEntriesWord] = 0;
    r->words[kCapacityWord] = r->words[kCountWord] = 0;
}

// --- notifications ----------------------------------------------------------

LRESULT on_custom_draw(GadgetRecord* r, NMTVCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return IsWindowEnabled(r->handle) ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || (draw->nmcd.uItemState & CDIS_SELECTED))
        return kNotHandled;
    const auto position = static_cast<int>(draw->nmcd.lItemlParam);
    if (!in_range(r, position)) return CDRF_DODEFAULT;
    const TreeEntry& entry = entries(r)[position];
    if (entry.front != kNoColor) draw->clrText = static_cast<COLORREF>(entry.front);
    if (entry.back != kNoColor) draw->clrTextBk = static_cast<COLORREF>(entry.back);
    return CDRF_DODEFAULT;
}

void on_begin_drag(GadgetRecord* r, const NMTREEVIEWW* view) {
    send_to(r, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(view->itemNew.hItem));
    auto* block = static_cast<int*>(HeapAlloc(private_heap(), 0, sizeof(int)));
    if (block) *block = static_cast<int>(get_tree_state(r));
    if (module().drag_block) HeapFree(private_heap(), 0, module().drag_block);
    module().drag_block = block;
    notify_gadget_event(r->handle, kEventDragStart);
}

LRESULT on_item_changed(GadgetRecord* r, const NMTVITEMCHANGE* change) {
    if (!module().item_change_notifications || change->uChanged != kStateChanged) return kNotHandled;
    if ((change->uStateNew ^ change->uStateOld) & kStateImageBits) notify_gadget_event(r->handle, kEventChange);
    if (!is_three_state(r->handle)) return kNotHandled;
    const int position = static_cast<int>(change->lParam);
    if (!in_range(r, position)) return kNotHandled;
    TreeEntry& entry = entries(r)[position];
    if ((change->uStateNew & kStateImageBits) == kThirdState && !entry.three_state) {
        suppress_events();
        set_state_bits(r, entry.handle, kUnchecked, kStateImageBits);
        resume_events();
    } else {
        entry.three_state = 0;
    }
    return kNotHandled;
}

LRESULT report_tree_notification(GadgetRecord* r, HWND, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY) return kNotHandled;
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    switch (header->code) {
        case NM_CLICK:
            PostMessageW(r->handle, kClickDone, 0, 0);
            return 0;
        case NM_DBLCLK:
            notify_gadget_event(r->handle, kEventLeftDoubleClick);
            return 0;
        case NM_RCLICK:
            if (HTREEITEM hot = next_item(r, TVGN_DROPHILITE))
                send_to(r, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hot));
            notify_gadget_event(r->handle, kEventRightClick);
            return 0;
        case TVN_SELCHANGEDW:
            notify_gadget_event(r->handle, kEventChange);
            return 0;
        case TVN_SELCHANGINGW:
            if (header->hwndFrom == r->handle &&
                reinterpret_cast<NMTREEVIEWW*>(header)->action == kRefusedSelectionAction)
                return 1;
            return kNotHandled;
        case TVN_BEGINDRAGW:
            on_begin_drag(r, reinterpret_cast<NMTREEVIEWW*>(header));
            return 0;
        case TVN_ITEMCHANGEDA:
        case TVN_ITEMCHANGEDW:
            return on_item_changed(r, reinterpret_cast<NMTVITEMCHANGE*>(header));
        case NM_CUSTOMDRAW:
            return on_custom_draw(r, reinterpret_cast<NMTVCUSTOMDRAW*>(header));
        default:
            return kNotHandled;
    }
}

constexpr GadgetTypeOps kTreeOps{
    .type_code = kTreeKind,
    .table_size = kGadgetOpsSize,
    .message_hook = report_tree_notification,
    .release = release_tree,
    .get_state = get_tree_state,
    .set_state = set_tree_state,
    .get_text = get_tree_text,
    .set_text = set_tree_text,
    .add_item_with_level = add_tree_item,
    .remove_item = remove_tree_item,
    .clear_items = clear_tree_items,
    .count_items = count_tree_items,
    .get_item_state = get_tree_item_state,
    .set_item_state = set_tree_item_state,
    .get_item_text = get_tree_item_text,
    .set_item_text = set_tree_item_text,
    .get_item_attribute = get_tree_item_attribute,
    .set_color = set_tree_color,
    .get_color = get_tree_color,
    .set_item_color = set_tree_item_color,
    .get_item_color = get_tree_item_color,
    .set_item_data = set_tree_item_data,
    .get_item_data = get_tree_item_data,
    .set_item_image = set_tree_item_image,
    .get_item_handle = get_tree_item_handle,
};

// --- the tree window procedure ----------------------------------------------

LRESULT call_control(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcW(module().control_procedure, control, message, wparam, lparam);
}

TVHITTESTINFO hit_test(HWND control, LPARAM point) {
    TVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    SendMessageW(control, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit;
}

LRESULT on_state_icon_click(HWND control, GadgetRecord* r, WPARAM wparam, LPARAM lparam) {
    const TVHITTESTINFO hit = hit_test(control, lparam);
    if (!hit.hItem || !(hit.flags & TVHT_ONITEMSTATEICON)) return call_control(control, WM_LBUTTONDOWN, wparam, lparam);
    const LRESULT result = call_control(control, WM_LBUTTONDOWN, wparam, lparam);
    SendMessageW(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
    if (!module().item_change_notifications) {
        notify_gadget_event(control, kEventChange);
        fix_third_state(r, position_of(r, hit.hItem));
    }
    return result;
}

LRESULT on_space(HWND control, GadgetRecord* r, WPARAM wparam, LPARAM lparam) {
    HTREEITEM selected = next_item(r, TVGN_CARET);
    if (module().item_change_notifications || !selected) return call_control(control, WM_KEYDOWN, wparam, lparam);
    notify_gadget_event(control, kEventChange);
    const LRESULT result = call_control(control, WM_KEYDOWN, wparam, lparam);
    if (is_three_state(control)) fix_third_state(r, position_of(r, selected));
    return result;
}

LRESULT CALLBACK tree_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    // The record is looked up only where it is needed: under Wine its check
    // is a round trip to the server, and every message comes through here.
    switch (message) {
        case kClickDone:
            notify_gadget_event(control, kEventLeftClick);
            break;
        case WM_RBUTTONDBLCLK: {
            const TVHITTESTINFO hit = hit_test(control, lparam);
            // Anywhere on an item's row but right of its label: button and indent too.
            if (hit.hItem && !(hit.flags & TVHT_ONITEMRIGHT))
                notify_gadget_event(control, kEventRightDoubleClick);
            break;
        }
        case WM_LBUTTONDOWN:
            if (!has_check_boxes(control)) break;
            if (GadgetRecord* r = registered_gadget(control, true)) return on_state_icon_click(control, r, wparam, lparam);
            break;
        case WM_KEYDOWN:
            if (wparam != VK_SPACE || !has_check_boxes(control)) break;
            if (GadgetRecord* r = registered_gadget(control, true)) return on_space(control, r, wparam, lparam);
            break;
        default:
            break;
    }
    return call_control(control, message, wparam, lparam);
}

void set_up_module() {
    TreeModule& m = module();
    if (m.set_up) return;
    m.set_up = true;
    probe_visual_styles();
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOW) == 276);
    // Deprecated, but it is the platform's own answer to which tree view
    // generation this is, which is what matters here.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL known = GetVersionExW(&version);
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (known && version.dwPlatformId == kNtPlatform && version.dwMajorVersion >= 6)
        m.item_change_notifications = visual_styles_active();
}

DWORD style_from_flags(unsigned flags) {
    DWORD style = kTreeStyle;
    if (!(flags & kTreeNoButtons)) style |= TVS_HASBUTTONS | TVS_LINESATROOT;
    if (!(flags & kTreeNoLines)) style |= TVS_HASLINES;
    if (flags & kTreeShowSelection) style |= TVS_SHOWSELALWAYS;
    return style;
}

void add_check_boxes(HWND control, GadgetRecord* record, unsigned flags) {
    SetWindowLongW(control, GWL_STYLE, GetWindowLongW(control, GWL_STYLE) | TVS_CHECKBOXES);
    if (!(flags & kTreeThreeState)) return;
    add_third_state_image(control);
    SetPropW(control, kThreeStateProperty, record);
}

}  // namespace

int tree_drag_position() { return module().drag_block ? *module().drag_block : -1; }

std::intptr_t create_tree(ObjectId number, int x, int y, int width, int height, unsigned flags) {
    set_up_module();
    TreeEntry* array = allocate_entries(kTreeArrayStep);
    if (!array) return 0;
    HWND control = create_gadget_window({WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                                         style_from_flags(flags), x, y, width, height});
    GadgetRecord* record = control ? reserve_gadget(number, control) : nullptr;
    if (!record) {
        HeapFree(private_heap(), 0, array);
        return 0;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tree_procedure)));
    if (previous != tree_procedure) module().control_procedure = previous;
    SendMessageW(control, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    record->words[kEntriesWord] = reinterpret_cast<std::intptr_t>(array);
    record->words[kCapacityWord] = kTreeArrayStep;
    record->words[kCountWord] = 0;
    const std::intptr_t result = register_gadget(number, record, control, &kTreeOps);
    if (flags & kTreeCheckBoxes) add_check_boxes(control, record, flags);
    return result;
}

}  // namespace tessel
