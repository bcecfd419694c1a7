// Gadgets: numbered native child controls. Every kind describes itself with
// one const GadgetTypeOps table; the generic operations below dispatch
// through it and fall back to a stated default when a slot is empty.
#pragma once

#include <string>

#include "toolkit/types.h"

namespace tessel {

struct GadgetTypeOps;

struct GadgetRecord {
    HWND handle;  // first field: 0 = no gadget
    const GadgetTypeOps* ops;
    WNDPROC previous_procedure;
    // Four per-type words, defined by each kind. They are pointer-sized so
    // that a kind may keep a pointer in one (the splitter keeps its data).
    std::intptr_t words[4];
};

// Kind codes.
constexpr int kButtonKind = 1;
constexpr int kTextKind = 3;
constexpr int kComboBoxKind = 8;
constexpr int kContainerKind = 11;
constexpr int kEditorKind = 22;
constexpr int kTreeKind = 27;
constexpr int kSplitterKind = 29;

// Colour kinds of set_gadget_color.
constexpr int kColorFront = 1;
constexpr int kColorBack = 2;
constexpr int kColorLine = 3;

// gadget_width / gadget_height modes.
constexpr int kCurrentSize = 0;
constexpr int kRequiredSize = 1;

struct GadgetTypeOps {
    std::int32_t type_code = 0;
    // The size of this table in bytes: the two words and forty slots. That
    // is 168 where a procedure is 4 bytes; in a 64-bit build it is 328.
    std::int32_t table_size = 0;

    LRESULT (*message_hook)(GadgetRecord*, HWND parent, UINT, WPARAM, LPARAM) = nullptr;  // 0
    void (*release)(GadgetRecord*) = nullptr;                                             // 1
    std::int64_t (*get_state)(GadgetRecord*) = nullptr;                                   // 2
    void (*set_state)(GadgetRecord*, std::int32_t low, std::int32_t high) = nullptr;      // 3
    std::wstring (*get_text)(GadgetRecord*) = nullptr;                                    // 4
    void (*set_text)(GadgetRecord*, const wchar_t*) = nullptr;                            // 5
    std::intptr_t (*add_item)(GadgetRecord*, int position, const wchar_t*,
                              std::intptr_t image) = nullptr;                             // 6
    std::intptr_t (*add_item_with_level)(GadgetRecord*, int position, const wchar_t*,
                                         std::intptr_t image, int sublevel) = nullptr;    // 7
    void (*remove_item)(GadgetRecord*, int position) = nullptr;                           // 8
    void (*clear_items)(GadgetRecord*) = nullptr;                                         // 9
    void (*resize)(GadgetRecord*, int x, int y, int width, int height) = nullptr;         // 10
    int (*count_items)(GadgetRecord*) = nullptr;                                          // 11
    int (*get_item_state)(GadgetRecord*, int item) = nullptr;                             // 12
    void (*set_item_state)(GadgetRecord*, int item, int state) = nullptr;                 // 13
    std::wstring (*get_item_text)(GadgetRecord*, int item) = nullptr;                     // 14
    void (*set_item_text)(GadgetRecord*, int item, const wchar_t*) = nullptr;             // 15
    void (*open_list)(GadgetRecord*, std::intptr_t ignored) = nullptr;                    // 16
    int (*get_x)(GadgetRecord*) = nullptr;                                                // 17
    int (*get_y)(GadgetRecord*) = nullptr;                                                // 18
    int (*get_width)(GadgetRecord*) = nullptr;                                            // 19
    int (*get_height)(GadgetRecord*) = nullptr;                                           // 20
    void* reserved21 = nullptr;
    void* reserved22 = nullptr;
    void* reserved23 = nullptr;
    std::int64_t (*get_attribute)(GadgetRecord*, int attribute) = nullptr;                // 24
    void (*set_attribute)(GadgetRecord*, int attribute, std::int32_t low,
                          std::int32_t high) = nullptr;                                   // 25
    std::int64_t (*get_item_attribute)(GadgetRecord*, int item, int attribute) = nullptr;  // 26
    void* reserved27 = nullptr;
    void (*set_color)(GadgetRecord*, int kind, Color) = nullptr;                          // 28
    Color (*get_color)(GadgetRecord*, int kind) = nullptr;                                // 29
    void (*set_item_color)(GadgetRecord*, int item, int kind, Color) = nullptr;           // 30
    Color (*get_item_color)(GadgetRecord*, int item, int kind) = nullptr;                 // 31
    void (*set_item_data)(GadgetRecord*, int item, std::intptr_t value) = nullptr;        // 32
    std::intptr_t (*get_item_data)(GadgetRecord*, int item) = nullptr;                    // 33
    void (*required_size)(GadgetRecord*, int* width, int* height) = nullptr;              // 34
    void* reserved35 = nullptr;
    HFONT (*get_font)(GadgetRecord*) = nullptr;                                           // 36
    void (*set_font)(GadgetRecord*, std::intptr_t font) = nullptr;                        // 37
    void (*set_item_image)(GadgetRecord*, int item, std::intptr_t image) = nullptr;       // 38
    std::intptr_t (*get_item_handle)(GadgetRecord*, int item) = nullptr;                  // 39
};

constexpr int kGadgetOpsSlots = 40;
// A whole value that set_state and set_attribute receive as two halves.
constexpr std::int64_t whole_value(std::int32_t low, std::int32_t high) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) |
                                     static_cast<std::uint32_t>(low));
}

constexpr std::int32_t kGadgetOpsSize =
    static_cast<std::int32_t>(2 * sizeof(std::int32_t) + kGadgetOpsSlots * sizeof(void*));
static_assert(sizeof(GadgetTypeOps) == kGadgetOpsSize, "forty pointer-sized slots");

constexpr wchar_t kGadgetIdProperty[] = L"ZW_ID";
// GWL_ID of a control whose gadget is torn down.
constexpr LONG_PTR kTornDown = -1;

ObjectTable* gadget_table();
GadgetRecord* find_gadget(ObjectId number);
HWND gadget_handle(ObjectId number);
// The record of a native window that is a live gadget of this program, by
// the registry, as the gadget's own subclass procedure finds it. With
// `confirmed` the window's property must name it too, so that a foreign
// control with a matching identifier is not taken for a gadget; paths
// taken on every message skip that read, under Wine a round trip to its
// server.
GadgetRecord* registered_gadget(HWND window, bool confirmed = false);
bool carries_gadget_id(HWND window);

// The creation protocol, steps 3 to 6: the native control in the current
// gadget list, then the reserved record. Null (and no record) on failure.
struct GadgetWindow {
    DWORD extended_style;
    const wchar_t* class_name;
    const wchar_t* text;
    DWORD style;  // WS_CHILD | WS_VISIBLE are always added
    int x, y, width, height;
};
HWND create_gadget_window(const GadgetWindow& request);
GadgetRecord* reserve_gadget(ObjectId number, HWND control);

// Binds a new control to its record. Returns the gadget's number for -1,
// else the native handle.
std::intptr_t register_gadget(ObjectId number, GadgetRecord* record, HWND control,
                              const GadgetTypeOps* ops);

void resize_gadget(ObjectId gadget, int x, int y, int width, int height);
// The same in device pixels, for a layout that computes pixels: no value
// goes through units and back. A kind with a resize of its own gets the
// units that scale back within the pixels.
void place_gadget(ObjectId gadget, int x, int y, int width, int height);
int gadget_width(ObjectId gadget, int mode = kCurrentSize);
int gadget_height(ObjectId gadget, int mode = kCurrentSize);
void set_gadget_state(ObjectId gadget, std::int64_t value);
// 0 when the gadget is gone or its kind has no such slot.
std::int64_t gadget_state(ObjectId gadget);
std::int64_t gadget_attribute(ObjectId gadget, int attribute);
void set_gadget_attribute(ObjectId gadget, int attribute, std::int64_t value);

// Text and items of the form gadgets. A gone gadget or an empty slot gives
// "", 0 or -1 (colours) and changes nothing.
std::wstring gadget_text(ObjectId gadget);
void set_gadget_text(ObjectId gadget, const wchar_t* text);
// Kinds with levels (the tree) take the sublevel; the others ignore it.
// The kind's result: the tree's native item handle, 1 for a combo box.
std::intptr_t add_gadget_item(ObjectId gadget, int position, const wchar_t* text, std::intptr_t image = 0,
                     int sublevel = 0);
void remove_gadget_item(ObjectId gadget, int position);
void clear_gadget_items(ObjectId gadget);
int count_gadget_items(ObjectId gadget);
std::wstring gadget_item_text(ObjectId gadget, int item);
void set_gadget_item_text(ObjectId gadget, int item, const wchar_t* text);
int gadget_item_state(ObjectId gadget, int item);
void set_gadget_item_state(ObjectId gadget, int item, int state);
std::int64_t gadget_item_attribute(ObjectId gadget, int item, int attribute);
Color gadget_color(ObjectId gadget, int kind);

// The default resize, for kinds whose own resize builds on it.
void resize_gadget_window(GadgetRecord* record, int x, int y, int width, int height);

// The message hook of the gadget kind of `control` for a notification that
// its parent received; kNotHandled when there is none.
LRESULT dispatch_message_hook(HWND control, HWND parent, UINT message, WPARAM wparam,
                              LPARAM lparam);

// The nearest window from this one up that carries a toolkit window's
// number (its property value in `property`), or null.
HWND window_carrying_number(HWND window, std::intptr_t& property);
// The toolkit window that contains a gadget's window, as an event window.
ObjectId containing_window_number(HWND window);

void start_gadget_component();
void stop_gadget_component();

}  // namespace tessel
