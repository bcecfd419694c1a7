// Gadget lists: where the next gadget is created. A window's list holds a
// stack of parents that containers push and close_gadget_list pops; each
// window that was ever current keeps its list while another one is current.
#pragma once

#include "toolkit/types.h"

namespace tessel {

struct GadgetListState {
    HWND current_parent;
    HFONT current_font;
    HWND* stack;
    int depth;
    int capacity;
};

const GadgetListState& gadget_list_state();
HWND current_gadget_parent();
HFONT current_gadget_font();
void set_current_gadget_font(HFONT font);

// Returns the window whose list was current before (0 if none); 0 changes
// nothing and only answers that window.
HWND use_gadget_list(HWND window);
void open_gadget_list(HWND parent);
void close_gadget_list();

void start_gadget_lists(HFONT font);

}  // namespace tessel
