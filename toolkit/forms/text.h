// The text gadget: a one-line static caption with optional text and
// background colours of its own.
#pragma once

#include "toolkit/gadgets/gadget.h"

namespace tessel {

// Flag bit that gives the caption a sunken client edge.
constexpr unsigned kTextClientEdge = 0x20000;

// The native handle (number given) or the new number (-1); 0 on failure.
// The flags' low bits are the platform's static styles (1 centres).
std::intptr_t create_text(ObjectId number, int x, int y, int width, int height,
                          const wchar_t* text, unsigned flags = 0);

}  // namespace tessel
