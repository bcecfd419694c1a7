#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "toolkit/forms/colors.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/gadgets/gadget.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/dpi.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

constexpr int kGadgetGrowthStep = 50;
constexpr DWORD kChildVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCommonControlClasses = ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES |
                                        ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;
static_assert(kCommonControlClasses == 0xB48);
constexpr UINT kButtonRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE;

ObjectTable*& table_pointer() {
    static ObjectTable* table = nullptr;
    return table;
}

void destroy_gadget_window(ObjectId number) {
    // The teardown runs in the subclass procedure on WM_NCDESTROY.
    if (GadgetRecord* record = find_gadget(number)) DestroyWindow(record->handle);
}

// A gadget's teardown, in this order: bound handlers, the kind's release,
// the identity, drag-and-drop, the queued events, then the number itself.
void tear_down_gadget(HWND control, ObjectId number, GadgetRecord* record) {
    unbind_gadget_handlers(number);
    if (record->ops && record->ops->release) record->ops->release(record);
    RemovePropW(control, kGadgetIdProperty);
    if (RemovePropW(control, kDropAcceptProperty)) RevokeDragDrop(control);
    SetWindowLongPtrW(control, GWLP_ID, kTornDown);
    remove_events(main_event_queue(), gadget_event, number, kAnyField, kAnyField);
    if (ObjectTable* table = table_pointer()) release_object(*table, number);
}

// The live gadget whose record names this window, and its number.
GadgetRecord* recorded_gadget(HWND window, LONG_PTR& id) {
    id = window ? GetWindowLongPtrW(window, GWLP_ID) : kTornDown;
    GadgetRecord* record = id == kTornDown ? nullptr : find_gadget(id);
    return record && record->handle == window ? record : nullptr;
}

LRESULT CALLBACK gadget_subclass_procedure(HWND control, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
    LONG_PTR id = kTornDown;
    GadgetRecord* record = recorded_gadget(control, id);
    if (!record) return DefWindowProcW(control, message, wparam, lparam);
    const LRESULT result =
        CallWindowProcW(record->previous_procedure, control, message, wparam, lparam);
    if (message == WM_NCDESTROY) tear_down_gadget(control, id, record);
    return result;
}

struct Rectangle {
    int x, y, width, height;
};

// The control's window rectangle in its parent's client coordinates.
Rectangle placement_in_parent(HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&area), 2);
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

int kept_or(int value, int (*slot)(GadgetRecord*), GadgetRecord* record, int current,
            int (*scale)(int)) {
    if (value != kKeepCurrent) return scale(value);
    return slot ? slot(record) : current;
}

void move_gadget_window(const GadgetRecord* record, int x, int y, int width, int height) {
    MoveWindow(record->handle, x, y, width, height, TRUE);
    InvalidateRect(record->handle, nullptr, FALSE);
    if (record->ops->type_code == kButtonKind)
        RedrawWindow(record->handle, nullptr, nullptr, kButtonRedraw);
}

int same_pixels(int value) { return value; }

// Moves the gadget's window, each keep-current value replaced by what the
// gadget has now, the others scaled to pixels.
void move_keeping(GadgetRecord* record, int x, int y, int width, int height, int (*scale_across)(int),
                  int (*scale_down)(int)) {
    const GadgetTypeOps& ops = *record->ops;
    Rectangle now{};
    if (x == kKeepCurrent || y == kKeepCurrent || width == kKeepCurrent ||
        height == kKeepCurrent)
        now = placement_in_parent(record->handle);
    x = kept_or(x, ops.get_x, record, now.x, scale_across);
    y = kept_or(y, ops.get_y, record, now.y, scale_down);
    width = kept_or(width, ops.get_width, record, now.width, scale_across);
    height = kept_or(height, ops.get_height, record, now.height, scale_down);
    move_gadget_window(record, x, y, width, height);
}

void default_resize(GadgetRecord* record, int x, int y, int width, int height) {
    move_keeping(record, x, y, width, height, scale_x, scale_y);
}

int units_or_kept_x(int pixels) { return pixels == kKeepCurrent ? kKeepCurrent : units_within_x(pixels); }
int units_or_kept_y(int pixels) { return pixels == kKeepCurrent ? kKeepCurrent : units_within_y(pixels); }

int window_extent(HWND window, bool width) {
    RECT area{};
    GetWindowRect(window, &area);
    return width ? area.right - area.left : area.bottom - area.top;
}

int measure(ObjectId gadget, int mode, bool width) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record) return 0;
    const GadgetTypeOps& ops = *record->ops;
    if (mode == kRequiredSize) {
        if (!ops.required_size) return 0;
        int w = 0, h = 0;
        ops.required_size(record, &w, &h);
        return width ? unscale_x(w) : unscale_y(h);
    }
    int (*slot)(GadgetRecord*) = width ? ops.get_width : ops.get_height;
    const int pixels = slot ? slot(record) : window_extent(record->handle, width);
    return width ? unscale_x(pixels) : unscale_y(pixels);
}

}  // namespace

ObjectTable* gadget_table() { return table_pointer(); }

GadgetRecord* find_gadget(ObjectId number) {
    return find_record<GadgetRecord>(table_pointer(), number);
}

HWND gadget_handle(ObjectId number) {
    GadgetRecord* record = find_gadget(number);
    return record ? record->handle : nullptr;
}

GadgetRecord* registered_gadget(HWND window, bool confirmed) {
    LONG_PTR id = kTornDown;
    GadgetRecord* record = recorded_gadget(window, id);
    if (!record || !confirmed) return record;
    return reinterpret_cast<LONG_PTR>(GetPropW(window, kGadgetIdProperty)) == id ? record : nullptr;
}

bool carries_gadget_id(HWND window) { return registered_gadget(window, true) != nullptr; }

HWND create_gadget_window(const GadgetWindow& request) {
    return CreateWindowExW(request.extended_style, request.class_name, request.text ? request.text : L"",
                           request.style | kChildVisible, scale_x(request.x), scale_y(request.y),
                           scale_x(request.width), scale_y(request.height), current_gadget_parent(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)),
                           GetModuleHandleW(nullptr), nullptr);
}

GadgetRecord* reserve_gadget(ObjectId number, HWND control) {
    ObjectTable* table = table_pointer();
    auto* record = table ? static_cast<GadgetRecord*>(reserve_object(*table, number)) : nullptr;
    // Without a record the control cannot become a gadget; it is not left
    // behind half-made.
    if (!record && control) DestroyWindow(control);
    return record;
}

std::intptr_t register_gadget(ObjectId number, GadgetRecord* record, HWND control,
                              const GadgetTypeOps* ops) {
    const ObjectId identity =
        number == kAllocateNumber ? number_of_record(*table_pointer(), record) : number;
    record->handle = control;
    record->ops = ops;
    record->previous_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_subclass_procedure)));
    SetWindowLongPtrW(control, GWLP_ID, identity);
    SetPropW(control, kGadgetIdProperty, reinterpret_cast<HANDLE>(identity));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(current_gadget_font()), TRUE);
    return number == kAllocateNumber ? identity : as_native(control);
}

void resize_gadget(ObjectId gadget, int x, int y, int width, int height) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record) return;
    if (record->ops->resize) record->ops->resize(record, x, y, width, height);
    else default_resize(record, x, y, width, height);
}

void place_gadget(ObjectId gadget, int x, int y, int width, int height) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record) return;
    if (record->ops->resize)
        record->ops->resize(record, units_or_kept_x(x), units_or_kept_y(y), units_or_kept_x(width),
                            units_or_kept_y(height));
    else move_keeping(record, x, y, width, height, same_pixels, same_pixels);
}

void resize_gadget_window(GadgetRecord* record, int x, int y, int width, int height) {
    default_resize(record, x, y, width, height);
}

int gadget_width(ObjectId gadget, int mode) { return measure(gadget, mode, true); }
int gadget_height(ObjectId gadget, int mode) { return measure(gadget, mode, false); }

void set_gadget_state(ObjectId gadget, std::int64_t value) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record || !record->ops->set_state) return;
    suppress_events();
    record->ops->set_state(record, static_cast<std::int32_t>(value & 0xFFFFFFFF),
                           static_cast<std::int32_t>(value >> 32));
    resume_events();
}

std::int64_t gadget_state(ObjectId gadget) {
    GadgetRecord* record = find_gadget(gadget);
    return record && record->ops->get_state ? record->ops->get_state(record) : 0;
}

std::int64_t gadget_attribute(ObjectId gadget, int attribute) {
    GadgetRecord* record = find_gadget(gadget);
    return record && record->ops->get_attribute ? record->ops->get_attribute(record, attribute) : 0;
}

void set_gadget_attribute(ObjectId gadget, int attribute, std::int64_t value) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record || !record->ops->set_attribute) return;
    record->ops->set_attribute(record, attribute, static_cast<std::int32_t>(value & 0xFFFFFFFF),
                               static_cast<std::int32_t>(value >> 32));
}

namespace {

// The live record of `gadget` when its kind fills the slot, else null.
template <typename Slot>
GadgetRecord* with_slot(ObjectId gadget, Slot GadgetTypeOps::*slot) {
    GadgetRecord* record = find_gadget(gadget);
    return record && record->ops->*slot ? record : nullptr;
}

}  // namespace

std::wstring gadget_text(ObjectId gadget) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::get_text);
    return record ? record->ops->get_text(record) : std::wstring();
}

void set_gadget_text(ObjectId gadget, const wchar_t* text) {
    if (GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::set_text))
        record->ops->set_text(record, text);
}

std::intptr_t add_gadget_item(ObjectId gadget, int position, const wchar_t* text,
                              std::intptr_t image, int sublevel) {
    GadgetRecord* record = find_gadget(gadget);
    if (!record) return 0;
    if (record->ops->add_item_with_level)
        return record->ops->add_item_with_level(record, position, text, image, sublevel);
    return record->ops->add_item ? record->ops->add_item(record, position, text, image) : 0;
}

void remove_gadget_item(ObjectId gadget, int position) {
    if (GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::remove_item))
        record->ops->remove_item(record, position);
}

void clear_gadget_items(ObjectId gadget) {
    if (GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::clear_items))
        record->ops->clear_items(record);
}

int count_gadget_items(ObjectId gadget) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::count_items);
    return record ? record->ops->count_items(record) : 0;
}

std::wstring gadget_item_text(ObjectId gadget, int item) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::get_item_text);
    return record ? record->ops->get_item_text(record, item) : std::wstring();
}

void set_gadget_item_text(ObjectId gadget, int item, const wchar_t* text) {
    if (GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::set_item_text))
        record->ops->set_item_text(record, item, text);
}

int gadget_item_state(ObjectId gadget, int item) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::get_item_state);
    return record ? record->ops->get_item_state(record, item) : 0;
}

void set_gadget_item_state(ObjectId gadget, int item, int state) {
    if (GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::set_item_state))
        record->ops->set_item_state(record, item, state);
}

std::int64_t gadget_item_attribute(ObjectId gadget, int item, int attribute) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::get_item_attribute);
    return record ? record->ops->get_item_attribute(record, item, attribute) : 0;
}

Color gadget_color(ObjectId gadget, int kind) {
    GadgetRecord* record = with_slot(gadget, &GadgetTypeOps::get_color);
    return record ? record->ops->get_color(record, kind) : kNoColor;
}

LRESULT dispatch_message_hook(HWND control, HWND parent, UINT message, WPARAM wparam,
                              LPARAM lparam) {
    GadgetRecord* record = registered_gadget(control);
    if (!record || !record->ops->message_hook) return kNotHandled;
    return record->ops->message_hook(record, parent, message, wparam, lparam);
}

HWND window_carrying_number(HWND window, std::intptr_t& property) {
    property = 0;
    for (HWND walk = window; walk; walk = GetParent(walk)) {
        if (registered_gadget(walk)) continue;  // a gadget never carries a window's number
        property = window_id_property(walk);
        if (property) return walk;
    }
    return nullptr;
}

ObjectId containing_window_number(HWND window) {
    std::intptr_t property = 0;
    window_carrying_number(window, property);
    return window_number_from(property);
}

void start_gadget_component() {
    if (table_pointer()) return;
    start_brush_cache();
    start_gadget_lists(determine_default_gadget_font());
    table_pointer() = create_object_table(sizeof(GadgetRecord), kGadgetGrowthStep,
                                          destroy_gadget_window);
    INITCOMMONCONTROLSEX classes{sizeof classes, kCommonControlClasses};
    InitCommonControlsEx(&classes);
}

// Gadgets die with their windows, which the window component closes after
// this; the table must outlive them, so nothing is released here.
void stop_gadget_component() {}

}  // namespace tessel
