#include "toolkit/forms/button.h"

#include <algorithm>

#include "toolkit/forms/common_controls.h"
#include "toolkit/window/dpi.h"

namespace tessel {
namespace {

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
static_assert(kButtonStyle == 0x50030000);
// Heights in this range look cramped with the platform's button frame and
// are stretched, up to the tallest standard button.
constexpr int kStretchFrom = 18;
constexpr int kStretchBelow = 24;
constexpr double kStretch = 1.27;
constexpr int kTextPadding = 10;

std::int64_t get_button_state(GadgetRecord* record) {
    return SendMessageW(record->handle, BM_GETCHECK, 0, 0) & 1;
}

void set_button_state(GadgetRecord* record, std::int32_t low, std::int32_t high) {
    const bool checked = whole_value(low, high) != 0;
    SendMessageW(record->handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void measure_button(GadgetRecord* record, int* width, int* height) {
    *width = *height = 0;
    const std::wstring text = window_text(record->handle);
    ControlFontDc dc(record->handle);
    if (!dc.get()) return;
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    *width = extent.cx + scale_x(2 * GetSystemMetrics(SM_CXEDGE) + kTextPadding);
    int h = extent.cy + scale_y(2 * GetSystemMetrics(SM_CYEDGE));
    if (h >= scale_y(kStretchFrom) && h < scale_y(kStretchBelow))
        h = std::min(static_cast<int>(h * kStretch), scale_y(kStretchBelow));
    *height = h;
}

constexpr GadgetTypeOps kButtonOps{
    .type_code = kButtonKind,
    .table_size = kGadgetOpsSize,
    .get_state = get_button_state,
    .set_state = set_button_state,
    .required_size = measure_button,
};

}  // namespace

std::intptr_t create_button(ObjectId number, int x, int y, int width, int height,
                            const wchar_t* text, unsigned flags) {
    HWND control = create_gadget_window({0, L"Button", text, flags | kButtonStyle, x, y, width, height});
    if (!control) return 0;
    GadgetRecord* record = reserve_gadget(number, control);
    if (!record) return 0;
    return register_gadget(number, record, control, &kButtonOps);
}

}  // namespace tessel
