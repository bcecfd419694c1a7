// Wine only: keeps every embedded add-on window drawn inside its pane.
//
// Wine draws a window of another process into the host's X window, but when
// the host paints afterwards it copies its own buffered image over that
// window, leaving the pane showing the host's background. So whenever one of
// the host's windows is sized or painted, each captured window is asked to
// draw itself again once the host's painting has settled: a timer that every
// such message restarts. On Windows the platform composes child windows of
// other processes itself, and nothing here runs.
#include "host/slots.h"
#include "toolkit/window/window.h"

namespace tessel::host {
namespace {

constexpr UINT_PTR kRepaintTimer = 0x7E55;
constexpr UINT kSettleTime = 100;  // ms after the host's last painting
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;

bool on_wine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

bool paints_or_sizes(UINT message) {
    return message == WM_SIZE || message == WM_PAINT || message == WM_NCPAINT ||
           message == WM_ERASEBKGND;
}

void CALLBACK redraw_embedded(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    for (int i = kFirstSlot; i <= kLastSlot; ++i)
        if (HWND embedded = slot_table()[static_cast<std::size_t>(i)].window)
            RedrawWindow(embedded, nullptr, nullptr, kRedrawFlags);  // fails if it is gone
}

}  // namespace

void keep_embedded_drawn(UINT message) {
    if (!paints_or_sizes(message) || !on_wine()) return;
    if (HWND main = window_handle(kMainWindow))
        SetTimer(main, kRepaintTimer, kSettleTime, redraw_embedded);  // restarts it
}

}  // namespace tessel::host
