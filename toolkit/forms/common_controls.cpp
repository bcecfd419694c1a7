#include "toolkit/forms/common_controls.h"

#include <shlwapi.h>
#include <uxtheme.h>

#include "toolkit/gadgets/gadget.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/toolkit.h"

namespace tessel {
namespace {

constexpr std::uint32_t kThemedControls = 0x60000;  // 6.0
constexpr std::uint32_t kVersionWithoutQuery = 1;

struct Probe {
    std::uint32_t version = 0;
    bool styles_active = false;
};

Probe& probe() {
    static Probe state;
    return state;
}

std::uint32_t query_version() {
    HMODULE library = load_system_library(L"COMCTL32.DLL");
    if (!library) return 0;
    std::uint32_t version = kVersionWithoutQuery;
    auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
    if (get_version) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        static_assert(sizeof(DLLVERSIONINFO) == 20);
        version = get_version(&info) >= 0
                      ? (static_cast<std::uint32_t>(info.dwMajorVersion & 0xFFFF) << 16) |
                            (info.dwMinorVersion & 0xFFFF)
                      : 0;
    }
    FreeLibrary(library);
    return version;
}

}  // namespace

std::uint32_t probe_visual_styles() {
    Probe& p = probe();
    if (p.version) return p.version;
    p.version = query_version();
    p.styles_active = IsAppThemed() && p.version >= kThemedControls;
    return p.version;
}

bool visual_styles_active() { return probe().styles_active; }

std::wstring window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

ControlFontDc::ControlFontDc(HWND control) : control_(control), dc_(GetDC(control)) {
    if (dc_)
        previous_ = SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
}

ControlFontDc::~ControlFontDc() {
    if (!dc_) return;
    SelectObject(dc_, previous_);
    ReleaseDC(control_, dc_);
}

void notify_gadget_event(HWND control, std::intptr_t type) {
    const LONG_PTR id = GetWindowLongPtrW(control, GWLP_ID);
    if (id == kTornDown) return;
    post_event(gadget_event, id, containing_window_number(control), type);
}

}  // namespace tessel
