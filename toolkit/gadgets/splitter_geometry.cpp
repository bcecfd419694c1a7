#include "toolkit/gadgets/splitter_geometry.h"

#include <climits>
#include <cmath>

namespace tessel {
namespace {

int to_int(double value) {
    if (std::isnan(value)) return 0;
    // Half the int range keeps later sums such as A - S from overflowing.
    constexpr double limit = INT_MAX / 2;
    if (value > limit) return static_cast<int>(limit);
    if (value < -limit) return static_cast<int>(-limit);
    return static_cast<int>(value);
}

int choose_second(const SplitRequest& r) {
    if ((r.flags & kSplitKeepFirst) && !r.forced) return r.available - r.first_now;
    if ((r.flags & kSplitKeepSecond) && !r.forced)
        return r.second_far_edge - r.thickness - r.first_now;
    if (r.given_second != 0) return r.given_second;
    return second_from_ratio(r.available, r.ratio);
}

}  // namespace

int second_from_ratio(int available, double ratio) {
    return to_int(std::floor(static_cast<double>(available) / ratio));
}

SplitLengths resolve_split(const SplitRequest& request) {
    int second = choose_second(request);
    if (second < request.second_minimum) second = request.second_minimum;
    int first = request.available - second;
    if (first < request.first_minimum) {
        first = request.first_minimum;
        second = request.available - first;
    }
    return {first, second};
}

SplitBoxes place_panes(unsigned flags, SplitLengths lengths, int thickness, int across) {
    const int second_start = lengths.first + thickness;
    if (flags & kSplitSideBySide)
        return {{0, 0, lengths.first, across}, {second_start, 0, lengths.second, across}};
    return {{0, 0, across, lengths.first}, {0, second_start, across, lengths.second}};
}

int clamp_state(std::int64_t position, int available) {
    if (position >= available) return available - 1;
    if (position < INT_MIN / 2) return INT_MIN / 2;
    return static_cast<int>(position);
}

double ratio_for_state(int available, int position) {
    return static_cast<double>(available) /
           (static_cast<double>(available) - static_cast<double>(position));
}

DragStep drag_to(int mouse, int grab_offset, int available) {
    if (mouse < grab_offset) mouse = grab_offset;
    else if (mouse > grab_offset + available) mouse = grab_offset + available;
    const int first = mouse - grab_offset;
    return {first, ratio_for_state(available, first)};
}

}  // namespace tessel
