// The splitter gadget: lays out two existing gadgets side by side or one
// above the other with a draggable separator, keeping their proportion (or
// one side's length) when resized. Splitters nest to any depth.
#pragma once

#include "toolkit/gadgets/gadget.h"
#include "toolkit/gadgets/splitter_geometry.h"

namespace tessel {

constexpr wchar_t kSplitterClass[] = L"VaneSplitter";

// Splitter attributes.
constexpr int kSplitterFirstMinimum = 1;
constexpr int kSplitterSecondMinimum = 2;
constexpr int kSplitterFirstGadget = 3;
constexpr int kSplitterSecondGadget = 4;

struct SplitterData {
    HWND first_child;
    HWND second_child;
    double ratio;  // A / S
    std::int32_t flags;
    std::int32_t thickness;
    std::int32_t first_minimum;
    std::int32_t second_minimum;
    std::int32_t grab_offset;
};

// Both gadget numbers must name live gadgets; 0 otherwise. Returns the
// native handle (number given) or the new number (-1).
std::intptr_t create_splitter(ObjectId number, int x, int y, int width, int height,
                              ObjectId first_gadget, ObjectId second_gadget, unsigned flags);

SplitterData* splitter_data(ObjectId splitter);
// given_second 0 = from the ratio (or the kept side when not forced).
void layout_splitter(HWND splitter, SplitterData& data, int given_second, bool forced);
int hit_separator(HWND splitter, const SplitterData& data, int x, int y);

}  // namespace tessel
