// The container gadget: a plain child window that holds gadgets or a
// foreign window, and reports its size changes as gadget events and to the
// program's window callback.
#pragma once

#include "toolkit/gadgets/gadget.h"

namespace tessel {

constexpr wchar_t kContainerClass[] = L"VaneContainer";

// Border flags; only the first one set takes effect.
constexpr unsigned kContainerBorder = 0x1;
constexpr unsigned kContainerDialogFrame = 0x2;
constexpr unsigned kContainerStaticEdge = 0x4;
constexpr unsigned kContainerClientEdge = 0x8;

// Gadget event type of a container's second resize event.
constexpr int kContainerResized = 6;

// Returns the native handle (number given) or the new number (-1); 0 on
// failure. The container becomes the current gadget list.
std::intptr_t create_container(ObjectId number, int x, int y, int width, int height,
                               unsigned flags = 0);

}  // namespace tessel
