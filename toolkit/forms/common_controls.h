// What the combo box, tree and editor share: the probe of the common
// controls' version and of visual styles, and the event a native control
// posts for its gadget.
#pragma once

#include <string>

#include "toolkit/gadgets/gadget.h"

namespace tessel {

// (major << 16) | minor of COMCTL32.DLL; 0 until known. Once known it is
// kept; a failed probe is tried again on the next call.
std::uint32_t probe_visual_styles();
bool visual_styles_active();

// A gadget_event for the gadget of `control`, subject to suppression and
// coalescing; nothing for a control whose gadget is torn down.
void notify_gadget_event(HWND control, std::intptr_t type);

// A message to a gadget's control.
inline LRESULT send_to(const GadgetRecord* gadget, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(gadget->handle, message, wparam, lparam);
}

// The whole window text of a control.
std::wstring window_text(HWND window);

// A control's device context with the control's own font selected, for
// measuring text as the control draws it.
class ControlFontDc {
public:
    explicit ControlFontDc(HWND control);
    ~ControlFontDc();
    ControlFontDc(const ControlFontDc&) = delete;
    ControlFontDc& operator=(const ControlFontDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// Gadget event types that the form gadgets post.
constexpr int kEventLeftClick = 0;
constexpr int kEventRightClick = 1;
constexpr int kEventLeftDoubleClick = 2;
constexpr int kEventRightDoubleClick = 3;
constexpr int kEventChange = 0x300;
constexpr int kEventFocus = 14000;
constexpr int kEventFocusLost = 14001;
constexpr int kEventDragStart = 14002;

// The platform's redraw of a control after a colour change.
constexpr UINT kColorRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME;

}  // namespace tessel
