#include "toolkit/gadgets/splitter.h"

#include <cstdlib>

#include "toolkit/forms/colors.h"
#include "toolkit/window/dpi.h"
#include "toolkit/window/event_pump.h"

namespace tessel {
namespace {

constexpr int kReadyWord = 0;  // extra window word: 1 once set up
constexpr int kDataWord = 0;   // per-type word: the SplitterData
constexpr UINT kChildRedraw = RDW_FRAME | RDW_ERASE | RDW_INVALIDATE;
constexpr UINT kFullRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME;
constexpr int kGripInset = 2;  // grip drawn 2 pixels in from each side of the bar
constexpr int kGripThickness = 3;

struct Cursors {
    HCURSOR vertical_bar = nullptr;    // IDC_SIZEWE
    HCURSOR horizontal_bar = nullptr;  // IDC_SIZENS
};

Cursors& cursors() {
    static Cursors loaded;
    return loaded;
}

SplitterData* data_of(GadgetRecord* record) {
    return reinterpret_cast<SplitterData*>(record->words[kDataWord]);
}

SplitterData* data_of_window(HWND splitter) {
    GadgetRecord* record = registered_gadget(splitter);  // on every message
    return record ? data_of(record) : nullptr;
}

bool side_by_side(const SplitterData& data) { return data.flags & kSplitSideBySide; }

bool is_ready(HWND splitter) { return GetWindowLongPtrW(splitter, kReadyWord) != 0; }

struct Extent {
    int length;  // L
    int across;  // K
};

Extent client_extent(HWND splitter, const SplitterData& data) {
    RECT client{};
    GetClientRect(splitter, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    return side_by_side(data) ? Extent{width, height} : Extent{height, width};
}

int available_length(HWND splitter, const SplitterData& data) {
    return client_extent(splitter, data).length - data.thickness;
}

RECT rectangle_in(HWND splitter, HWND child) {
    RECT area{};
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, splitter, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

int current_first(HWND splitter, const SplitterData& data) {
    RECT area{};
    GetWindowRect(data.first_child, &area);
    POINT corner{area.right, area.bottom};
    ScreenToClient(splitter, &corner);
    return side_by_side(data) ? corner.x : corner.y;
}

int second_far_edge(HWND splitter, const SplitterData& data) {
    const RECT area = rectangle_in(splitter, data.second_child);
    return side_by_side(data) ? area.right : area.bottom;
}

ObjectId gadget_number(HWND child) {
    return static_cast<ObjectId>(GetWindowLongPtrW(child, GWLP_ID));
}

void place_child(HWND child, const PaneBox& box) {
    // A destroyed child's number reads 0, which may name another gadget.
    if (!IsWindow(child)) return;
    place_gadget(gadget_number(child), box.x, box.y, box.width, box.height);
}

void redraw_children(const SplitterData& data) {
    RedrawWindow(data.first_child, nullptr, nullptr, kChildRedraw);
    RedrawWindow(data.second_child, nullptr, nullptr, kChildRedraw);
}

void post_relayout(HWND splitter) {
    const LONG_PTR id = GetWindowLongPtrW(splitter, GWLP_ID);
    if (id != -1) post_event(gadget_event, id, containing_window_number(splitter), 0);
}

// Slots.

std::int64_t get_splitter_state(GadgetRecord* record) {
    const SplitterData& data = *data_of(record);
    const int first = current_first(record->handle, data);
    return side_by_side(data) ? unscale_x(first) : unscale_y(first);
}

void set_splitter_state(GadgetRecord* record, std::int32_t position, std::int32_t) {
    SplitterData& data = *data_of(record);
    const int available = available_length(record->handle, data);
    const int pixels = side_by_side(data) ? scale_x(position) : scale_y(position);
    const int first = clamp_state(pixels, available);
    data.ratio = ratio_for_state(available, first);
    layout_splitter(record->handle, data, available - first, true);
}

std::int64_t get_splitter_attribute(GadgetRecord* record, int attribute) {
    const SplitterData& data = *data_of(record);
    switch (attribute) {
        case kSplitterFirstMinimum: return data.first_minimum;
        case kSplitterSecondMinimum: return data.second_minimum;
        case kSplitterFirstGadget: return gadget_number(data.first_child);
        case kSplitterSecondGadget: return gadget_number(data.second_child);
        default: return 0;
    }
}

void replace_child(HWND splitter, SplitterData& data, HWND& slot, ObjectId gadget) {
    HWND replacement = gadget_handle(gadget);
    if (!replacement) return;
    if (IsWindow(slot)) {
        SetParent(slot, GetParent(splitter));
        RedrawWindow(slot, nullptr, nullptr, kFullRedraw);
    }
    slot = replacement;
    SetParent(replacement, splitter);
    layout_splitter(splitter, data, 0, true);
}

void set_splitter_attribute(GadgetRecord* record, int attribute, std::int32_t value,
                            std::int32_t) {
    SplitterData& data = *data_of(record);
    HWND splitter = record->handle;
    switch (attribute) {
        case kSplitterFirstMinimum: data.first_minimum = scale_x(value); return;
        case kSplitterSecondMinimum: data.second_minimum = scale_x(value); return;
        case kSplitterFirstGadget:
            replace_child(splitter, data, data.first_child, value);
            InvalidateRect(splitter, nullptr, TRUE);
            break;
        case kSplitterSecondGadget:
            replace_child(splitter, data, data.second_child, value);
            break;
        default: return;
    }
    redraw_children(data);
}

void release_splitter(GadgetRecord* record) {
    SetWindowLongPtrW(record->handle, kReadyWord, 0);
    std::free(data_of(record));
    record->words[kDataWord] = 0;
}

constexpr GadgetTypeOps kSplitterOps{
    .type_code = kSplitterKind,
    .table_size = kGadgetOpsSize,
    .release = release_splitter,
    .get_state = get_splitter_state,
    .set_state = set_splitter_state,
    .get_attribute = get_splitter_attribute,
    .set_attribute = set_splitter_attribute,
};

// Window procedure, one handler per message.

LRESULT on_size(HWND splitter, SplitterData& data) {
    layout_splitter(splitter, data, 0, false);
    redraw_children(data);
    post_relayout(splitter);
    return 0;
}

LRESULT on_paint(HWND splitter, const SplitterData& data) {
    PAINTSTRUCT paint{};
    if (HDC dc = BeginPaint(splitter, &paint)) {
        RECT grip = rectangle_in(splitter, data.first_child);
        if (side_by_side(data)) {
            grip.left = grip.right + kGripInset;
            grip.right = grip.left + kGripThickness;
        } else {
            grip.top = grip.bottom + kGripInset;
            grip.bottom = grip.top + kGripThickness;
        }
        DrawFrameControl(dc, &grip, DFC_BUTTON, DFCS_BUTTONPUSH);
        EndPaint(splitter, &paint);
    }
    return 0;
}

LRESULT on_set_cursor(HWND splitter, const SplitterData& data, WPARAM under) {
    if (reinterpret_cast<HWND>(under) != splitter) return 0;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(splitter, &at);
    if (hit_separator(splitter, data, at.x, at.y) == kSeparatorMissed) return 0;
    SetCursor(side_by_side(data) ? cursors().vertical_bar : cursors().horizontal_bar);
    return 1;
}

LRESULT on_button_down(HWND splitter, SplitterData& data, LPARAM lparam) {
    const int hit = hit_separator(splitter, data, LOWORD(lparam), HIWORD(lparam));
    if (hit != kSeparatorMissed) {
        data.grab_offset = hit;
        SetCapture(splitter);
    }
    return 0;
}

LRESULT on_mouse_move(HWND splitter, SplitterData& data, LPARAM lparam) {
    if (GetCapture() != splitter) return 0;
    const int mouse = side_by_side(data) ? static_cast<short>(LOWORD(lparam))
                                         : static_cast<short>(HIWORD(lparam));
    const DragStep step = drag_to(mouse, data.grab_offset, available_length(splitter, data));
    if (step.ratio == data.ratio) return 0;
    data.ratio = step.ratio;
    layout_splitter(splitter, data, 0, true);
    redraw_children(data);
    post_relayout(splitter);
    return 0;
}

LRESULT CALLBACK splitter_procedure(HWND splitter, UINT message, WPARAM wparam, LPARAM lparam) {
    SplitterData* data = is_ready(splitter) ? data_of_window(splitter) : nullptr;
    if (!data) return common_window_procedure(splitter, message, wparam, lparam);
    switch (message) {
        case WM_SIZE:
            if (lparam == 0) break;
            return on_size(splitter, *data);
        case WM_SIZING: return on_size(splitter, *data);
        case WM_PAINT:
            if (!(data->flags & kSplitThick)) break;
            return on_paint(splitter, *data);
        case WM_ERASEBKGND:
            paint_window_background(reinterpret_cast<HDC>(wparam), splitter,
                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
            return 1;
        case WM_SETCURSOR: return on_set_cursor(splitter, *data, wparam);
        case WM_LBUTTONDOWN: return on_button_down(splitter, *data, lparam);
        case WM_MOUSEMOVE: return on_mouse_move(splitter, *data, lparam);
        case WM_LBUTTONUP: SetCapture(nullptr); return 0;
        default: break;
    }
    return common_window_procedure(splitter, message, wparam, lparam);
}

void register_splitter_class() {
    static bool registered = false;
    if (registered) return;
    cursors().horizontal_bar = LoadCursorW(nullptr, IDC_SIZENS);
    cursors().vertical_bar = LoadCursorW(nullptr, IDC_SIZEWE);
    WNDCLASSEXW splitter_class{};
    splitter_class.cbSize = sizeof splitter_class;
    splitter_class.lpfnWndProc = splitter_procedure;
    splitter_class.cbWndExtra = sizeof(LONG_PTR);
    splitter_class.hInstance = GetModuleHandleW(nullptr);
    splitter_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    splitter_class.lpszClassName = kSplitterClass;
    registered = RegisterClassExW(&splitter_class) != 0 ||
                 GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

SplitterData* splitter_data(ObjectId splitter) {
    GadgetRecord* record = find_gadget(splitter);
    return record && record->ops == &kSplitterOps ? data_of(record) : nullptr;
}

void layout_splitter(HWND splitter, SplitterData& data, int given_second, bool forced) {
    const Extent extent = client_extent(splitter, data);
    SplitRequest request;
    request.flags = static_cast<unsigned>(data.flags);
    request.forced = forced;
    request.available = extent.length - data.thickness;
    request.thickness = data.thickness;
    request.given_second = given_second;
    request.ratio = data.ratio;
    request.first_minimum = data.first_minimum;
    request.second_minimum = data.second_minimum;
    if (!forced && (request.flags & (kSplitKeepFirst | kSplitKeepSecond))) {
        request.first_now = current_first(splitter, data);
        request.second_far_edge = second_far_edge(splitter, data);
    }
    const SplitLengths lengths = resolve_split(request);
    const SplitBoxes boxes = place_panes(request.flags, lengths, data.thickness, extent.across);
    place_child(data.second_child, boxes.second);
    place_child(data.first_child, boxes.first);
    InvalidateRect(splitter, nullptr, TRUE);
}

int hit_separator(HWND splitter, const SplitterData& data, int x, int y) {
    RECT outer{}, first{};
    GetWindowRect(splitter, &outer);
    GetWindowRect(data.first_child, &first);
    const int distance =
        side_by_side(data) ? x - (first.right - outer.left) : y - (first.bottom - outer.top);
    return hit_offset(distance, data.thickness);
}

std::intptr_t create_splitter(ObjectId number, int x, int y, int width, int height,
                              ObjectId first_gadget, ObjectId second_gadget, unsigned flags) {
    HWND first = gadget_handle(first_gadget);
    HWND second = gadget_handle(second_gadget);
    // Two distinct live gadgets are needed; anything else would leave the
    // splitter laying out windows it does not have.
    if (!first || !second || first == second) return 0;
    register_splitter_class();
    HWND splitter = create_gadget_window({0, kSplitterClass, nullptr, 0, x, y, width, height});
    if (!splitter) return 0;
    GadgetRecord* record = reserve_gadget(number, splitter);
    auto* data = record ? static_cast<SplitterData*>(std::calloc(1, sizeof(SplitterData))) : nullptr;
    if (!data) {
        if (record) DestroyWindow(splitter);
        return 0;
    }
    record->words[kDataWord] = reinterpret_cast<std::intptr_t>(data);
    // The numbers may have been reserved away by reserving this one.
    data->first_child = gadget_handle(first_gadget);
    data->second_child = gadget_handle(second_gadget);
    data->ratio = kInitialRatio;
    data->flags = static_cast<std::int32_t>(flags);
    const int thickness = separator_thickness(flags);
    data->thickness = (flags & kSplitSideBySide) ? scale_x(thickness) : scale_y(thickness);

    const std::intptr_t result = register_gadget(number, record, splitter, &kSplitterOps);
    if (!data->first_child || !data->second_child) {
        DestroyWindow(splitter);
        return 0;
    }
    SetParent(data->second_child, splitter);
    SetParent(data->first_child, splitter);
    SetWindowLongPtrW(splitter, kReadyWord, 1);
    layout_splitter(splitter, *data, 0, true);
    InvalidateRect(splitter, nullptr, TRUE);
    redraw_children(*data);
    return result;
}

}  // namespace tessel
