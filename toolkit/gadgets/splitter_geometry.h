// Splitter arithmetic: how a splitter shares its length between its two
// gadgets, where it places them, and how a drag or a state maps to a
// proportion. Pure functions, so that every mode is testable without a
// window.
//
// Along the splitting direction: L is the client length, T the separator
// thickness, A = L - T the length for the gadgets, F + S = A the first and
// second lengths; the separator occupies [F, F + T).
#pragma once

#include <cstdint>

namespace tessel {

constexpr unsigned kSplitSideBySide = 0x1;   // first left, second right
constexpr unsigned kSplitThick = 0x2;        // 7-pixel separator with a grip
constexpr unsigned kSplitKeepFirst = 0x4;    // a resize keeps F
constexpr unsigned kSplitKeepSecond = 0x8;   // a resize keeps S (without 0x4)

constexpr int kThickSeparator = 7;
constexpr int kThinSeparator = 4;
constexpr int kSeparatorMissed = 0xFFFF;
constexpr double kInitialRatio = 2.0;

constexpr int separator_thickness(unsigned flags) {
    return (flags & kSplitThick) ? kThickSeparator : kThinSeparator;
}

struct SplitRequest {
    unsigned flags = 0;
    bool forced = false;        // state changes, drags and creation
    int available = 0;          // A
    int thickness = 0;          // T
    int first_now = 0;          // F as it stands on screen
    int second_far_edge = 0;    // far edge of the second gadget
    int given_second = 0;       // an S to use as is; 0 = none
    double ratio = kInitialRatio;
    int first_minimum = 0;
    int second_minimum = 0;
};

struct SplitLengths {
    int first;
    int second;
};

// floor(A / ratio), kept within int range (an infinite ratio gives 0).
int second_from_ratio(int available, double ratio);

// S by mode, then the minimums; the first minimum wins when both cannot
// be met.
SplitLengths resolve_split(const SplitRequest& request);

struct PaneBox {
    int x, y, width, height;
};
struct SplitBoxes {
    PaneBox first, second;
};
SplitBoxes place_panes(unsigned flags, SplitLengths lengths, int thickness, int across);

// A requested state at or beyond A becomes A - 1; no lower bound.
int clamp_state(std::int64_t position, int available);
double ratio_for_state(int available, int position);

struct DragStep {
    int first;     // p, between 0 and A
    double ratio;  // A / (A - p); infinite at p = A
};
DragStep drag_to(int mouse, int grab_offset, int available);

// The offset d of a point from the separator start when -T < d < T, else
// the miss value.
constexpr int hit_offset(int distance, int thickness) {
    return (distance > -thickness && distance < thickness) ? distance : kSeparatorMissed;
}

}  // namespace tessel
