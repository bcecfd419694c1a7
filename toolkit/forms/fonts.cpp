#include "toolkit/forms/fonts.h"

#include "toolkit/gadgets/gadget.h"
#include "toolkit/gadgets/gadget_list.h"

namespace tessel {
namespace {

constexpr int kFontGrowthStep = 16;
constexpr int kPointsPerInch = 72;
constexpr int kFallbackDpi = 96;
constexpr UINT kNonClientMetricsSize = 500;  // the size that every platform version accepts

struct FontRecord {
    HFONT handle;
};

struct FontState {
    ObjectTable* table = nullptr;
    int vertical_dpi = kFallbackDpi;
    HFONT default_font = nullptr;
};

FontState& state() {
    static FontState font_state;
    return font_state;
}

void destroy_font(ObjectId number) {
    FontState& s = state();
    if (auto* record = find_record<FontRecord>(s.table, number)) DeleteObject(record->handle);
    release_object(*s.table, number);
}

HFONT resolve_font(std::intptr_t font) {
    return font == kDefaultGadgetFont ? default_gadget_font() : reinterpret_cast<HFONT>(font);
}

}  // namespace

ObjectTable* font_table() { return state().table; }
int screen_vertical_dpi() { return state().vertical_dpi; }

int font_height_for(int points, int dots_per_inch) {
    return -MulDiv(points, dots_per_inch, kPointsPerInch);
}

std::intptr_t load_font(ObjectId number, const wchar_t* face, int points, unsigned style) {
    FontState& s = state();
    if (!s.table) return 0;
    auto* record = static_cast<FontRecord*>(reserve_object(*s.table, number));
    if (!record) return 0;
    const ObjectId identity =
        number == kAllocateNumber ? number_of_record(*s.table, record) : number;
    HFONT font = CreateFontW(font_height_for(points, s.vertical_dpi), 0, 0, 0,
                             (style & kFontBold) ? FW_BOLD : FW_NORMAL, (style & kFontItalic) != 0,
                             (style & kFontUnderline) != 0, (style & kFontStrikeOut) != 0,
                             DEFAULT_CHARSET, OUT_TT_PRECIS, 0,
                             (style & kFontProofQuality) ? PROOF_QUALITY : DEFAULT_QUALITY, 0,
                             face ? face : L"");
    if (!font) {
        release_object(*s.table, identity);
        return 0;
    }
    record->handle = font;
    return number == kAllocateNumber ? identity : as_native(font);
}

HFONT font_handle(ObjectId number) {
    auto* record = find_record<FontRecord>(state().table, number);
    return record ? record->handle : nullptr;
}

void set_gadget_font(ObjectId gadget, std::intptr_t font) {
    if (gadget == kAllocateNumber) {
        set_current_gadget_font(resolve_font(font));
        return;
    }
    GadgetRecord* record = find_gadget(gadget);
    if (!record) return;
    if (record->ops->set_font) record->ops->set_font(record, font);
    else SendMessageW(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(resolve_font(font)), TRUE);
}

HFONT default_gadget_font() { return state().default_font; }

HFONT determine_default_gadget_font() {
    FontState& s = state();
    if (s.default_font) return s.default_font;
    s.default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0))
        if (HFONT message_font = CreateFontIndirectW(&metrics.lfMessageFont))
            s.default_font = message_font;
    return s.default_font;
}

void start_font_component() {
    FontState& s = state();
    if (s.table) return;
    s.table = create_object_table(sizeof(FontRecord), kFontGrowthStep, destroy_font);
    s.vertical_dpi = kFallbackDpi;
    if (HDC screen = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {
        s.vertical_dpi = GetDeviceCaps(screen, LOGPIXELSY);
        DeleteDC(screen);
    }
}

void stop_font_component() {
    FontState& s = state();
    if (!s.table) return;
    destroy_all_objects(*s.table);
    free_object_table(s.table);
    s.table = nullptr;
}

}  // namespace tessel
