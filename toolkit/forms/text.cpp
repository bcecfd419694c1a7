#include "toolkit/forms/text.h"

#include "toolkit/forms/colors.h"
#include "toolkit/forms/common_controls.h"

namespace tessel {
namespace {

constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX;
static_assert(kTextStyle == 0x50020080);
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX;
constexpr int kPlainMargin = 2;

// Per-type words.
constexpr int kBackWord = 0;
constexpr int kFrontWord = 1;
constexpr int kBrushWord = 2;

Color back_color(const GadgetRecord* r) { return static_cast<Color>(r->words[kBackWord]); }
Color front_color(const GadgetRecord* r) { return static_cast<Color>(r->words[kFrontWord]); }
HBRUSH back_brush(const GadgetRecord* r) { return reinterpret_cast<HBRUSH>(r->words[kBrushWord]); }

// The caption asks its parent for colours; the hook answers for it.
LRESULT paint_text_colors(GadgetRecord* record, HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_CTLCOLORSTATIC) return kNotHandled;
    const Color front = front_color(record), back = back_color(record);
    if (front == kNoColor && back == kNoColor) return kNotHandled;
    auto dc = reinterpret_cast<HDC>(wparam);
    if (front != kNoColor) SetTextColor(dc, static_cast<COLORREF>(front));
    if (back == kNoColor) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    SetBkColor(dc, static_cast<COLORREF>(back));
    return reinterpret_cast<LRESULT>(back_brush(record));
}

void release_text(GadgetRecord* record) {
    release_brush(back_brush(record));
    record->words[kBrushWord] = 0;
}

void set_text_color(GadgetRecord* record, int kind, Color color) {
    if (kind == kColorFront) {
        record->words[kFrontWord] = color;
    } else if (kind == kColorBack) {
        release_text(record);
        record->words[kBrushWord] =
            reinterpret_cast<std::intptr_t>(color == kNoColor ? nullptr : acquire_brush(color));
        record->words[kBackWord] = color;
    }
    RedrawWindow(record->handle, nullptr, nullptr, kColorRedraw);
}

Color get_text_color(GadgetRecord* record, int kind) {
    if (kind == kColorFront) return front_color(record);
    if (kind == kColorBack) return back_color(record);
    return kNoColor;
}

void measure_text(GadgetRecord* record, int* width, int* height) {
    *width = *height = 0;
    HWND control = record->handle;
    const std::wstring text = window_text(control);
    ControlFontDc dc(control);
    if (!dc.get()) return;
    RECT area{};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &area, kMeasureFlags);
    const bool edged = GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE;
    *width = area.right - area.left + (edged ? 2 * GetSystemMetrics(SM_CXEDGE) : kPlainMargin);
    *height = area.bottom - area.top + (edged ? 2 * GetSystemMetrics(SM_CYEDGE) : kPlainMargin);
}

constexpr GadgetTypeOps kTextOps{
    .type_code = kTextKind,
    .table_size = kGadgetOpsSize,
    .message_hook = paint_text_colors,
    .release = release_text,
    .set_color = set_text_color,
    .get_color = get_text_color,
    .required_size = measure_text,
};

}  // namespace

std::intptr_t create_text(ObjectId number, int x, int y, int width, int height,
                          const wchar_t* text, unsigned flags) {
    const DWORD extended = (flags >> 8) & WS_EX_CLIENTEDGE;
    HWND control = create_gadget_window(
        {extended, L"Static", text, flags | kTextStyle, x, y, width, height});
    if (!control) return 0;
    GadgetRecord* record = reserve_gadget(number, control);
    if (!record) return 0;
    record->words[kBackWord] = kNoColor;
    record->words[kFrontWord] = kNoColor;
    return register_gadget(number, record, control, &kTextOps);
}

}  // namespace tessel
