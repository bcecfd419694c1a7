#include "toolkit/gadgets/container.h"

#include "toolkit/forms/colors.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/event_pump.h"

namespace tessel {
namespace {

constexpr int kBrushWord = 0;           // extra window word: the cache brush
constexpr int kBackgroundColorWord = 0; // per-type word: the background colour
constexpr LONG_PTR kButtonFaceBrush = COLOR_BTNFACE + 1;
constexpr UINT kFullRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME;

HBRUSH own_brush(HWND container) {
    return reinterpret_cast<HBRUSH>(GetWindowLongPtrW(container, kBrushWord));
}

void release_container(GadgetRecord* record) {
    if (HBRUSH brush = own_brush(record->handle)) release_brush(brush);
    SetWindowLongPtrW(record->handle, kBrushWord, 0);
}

void open_container_list(GadgetRecord* record, std::intptr_t) { open_gadget_list(record->handle); }

void set_container_color(GadgetRecord* record, int kind, Color color) {
    if (kind != kColorBack) return;
    if (HBRUSH brush = own_brush(record->handle)) release_brush(brush);
    HBRUSH brush = color == kNoColor ? nullptr : acquire_brush(color);
    SetWindowLongPtrW(record->handle, kBrushWord, reinterpret_cast<LONG_PTR>(brush));
    record->words[kBackgroundColorWord] = color;
    RedrawWindow(record->handle, nullptr, nullptr, kFullRedraw);
}

Color get_container_color(GadgetRecord* record, int kind) {
    return kind == kColorBack ? static_cast<Color>(record->words[kBackgroundColorWord]) : kNoColor;
}

constexpr GadgetTypeOps kContainerOps{
    .type_code = kContainerKind,
    .table_size = kGadgetOpsSize,
    .release = release_container,
    .open_list = open_container_list,
    .set_color = set_container_color,
    .get_color = get_container_color,
};

LRESULT on_container_size(HWND container, WPARAM wparam, LPARAM lparam) {
    const LONG_PTR id = GetWindowLongPtrW(container, GWLP_ID);
    if (id != -1) {
        const ObjectId window = containing_window_number(container);
        EventQueue& queue = main_event_queue();
        post_event(queue, gadget_event, id, window, 0, 0, nullptr, kPostForce);
        post_event(queue, gadget_event, id, window, kContainerResized, 0, nullptr, kPostForce);
    }
    return common_window_procedure(container, WM_SIZE, wparam, lparam);
}

LRESULT on_container_erase(HWND container, WPARAM wparam, LPARAM lparam) {
    HBRUSH brush = own_brush(container);
    if (!brush) return DefWindowProcW(container, WM_ERASEBKGND, wparam, lparam);
    RECT client{};
    GetClientRect(container, &client);
    FillRect(reinterpret_cast<HDC>(wparam), &client, brush);
    return 0;
}

LRESULT CALLBACK container_procedure(HWND container, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SIZE) return on_container_size(container, wparam, lparam);
    if (message == WM_ERASEBKGND) return on_container_erase(container, wparam, lparam);
    return common_window_procedure(container, message, wparam, lparam);
}

void register_container_class() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW container_class{};
    container_class.cbSize = sizeof container_class;
    container_class.lpfnWndProc = container_procedure;
    // Room for the brush handle; a pointer does not fit the 4 bytes a
    // 32-bit build uses.
    container_class.cbWndExtra = sizeof(LONG_PTR);
    container_class.hInstance = GetModuleHandleW(nullptr);
    container_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    container_class.hbrBackground = reinterpret_cast<HBRUSH>(kButtonFaceBrush);
    container_class.lpszClassName = kContainerClass;
    registered = RegisterClassExW(&container_class) != 0 ||
                 GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

struct BorderStyle {
    DWORD style;
    DWORD extended;
};

BorderStyle border_from_flags(unsigned flags) {
    if (flags & kContainerBorder) return {WS_BORDER, 0};
    if (flags & kContainerDialogFrame) return {WS_DLGFRAME, 0};
    if (flags & kContainerStaticEdge) return {0, WS_EX_STATICEDGE};
    if (flags & kContainerClientEdge) return {0, WS_EX_CLIENTEDGE};
    return {0, 0};
}

}  // namespace

std::intptr_t create_container(ObjectId number, int x, int y, int width, int height,
                               unsigned flags) {
    register_container_class();
    const BorderStyle border = border_from_flags(flags);
    HWND container = create_gadget_window(
        {border.extended, kContainerClass, nullptr, border.style, x, y, width, height});
    if (!container) return 0;
    SetClassLongPtrW(container, GCLP_HBRBACKGROUND, kButtonFaceBrush);
    GadgetRecord* record = reserve_gadget(number, container);
    if (!record) return 0;
    record->words[kBackgroundColorWord] = kNoColor;
    SetWindowLongPtrW(container, kBrushWord, 0);
    open_gadget_list(container);
    InvalidateRect(container, nullptr, TRUE);
    return register_gadget(number, record, container, &kContainerOps);
}

}  // namespace tessel
