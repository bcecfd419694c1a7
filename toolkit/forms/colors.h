// Colours: window backgrounds, the painter that fills them around the
// children, gadget colour dispatch, and the shared brush cache.
#pragma once

#include <cstddef>

#include "toolkit/types.h"

namespace tessel {

// -1 returns the window to the class background (button face).
void set_window_color(ObjectId window, Color color);
int paint_window_background(HDC dc, HWND window, HBRUSH brush);
void set_gadget_color(ObjectId gadget, int kind, Color color);

// Reference-counted solid brushes shared by every holder of one colour.
// Give a brush back with release_brush; never delete it.
HBRUSH acquire_brush(Color color);
void release_brush(HBRUSH brush);
std::size_t brush_cache_entries();

void start_brush_cache();

}  // namespace tessel
