// The button gadget: a push button (or any platform button style given in
// the flags). Its clicks reach the program as gadget events of type 0.
#pragma once

#include "toolkit/gadgets/gadget.h"

namespace tessel {

std::intptr_t create_button(ObjectId number, int x, int y, int width, int height,
                            const wchar_t* text, unsigned flags = 0);

}  // namespace tessel
