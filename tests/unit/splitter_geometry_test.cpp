#include "toolkit/gadgets/splitter_geometry.h"
#include "toolkit/window/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tessel {
namespace {

SplitRequest request(unsigned flags, int length) {
    SplitRequest r;
    r.flags = flags;
    r.thickness = separator_thickness(flags);
    r.available = length - r.thickness;
    return r;
}

TEST(SplitterGeometry, CreationHalvesWithTheOddPixelToTheFirst) {
    SplitRequest r = request(kSplitSideBySide | kSplitThick, 500);
    r.forced = true;
    ASSERT_EQ(r.available, 493);
    const SplitLengths lengths = resolve_split(r);
    EXPECT_EQ(lengths.second, 246);
    EXPECT_EQ(lengths.first, 247);
    const SplitBoxes boxes = place_panes(r.flags, lengths, r.thickness, 300);
    EXPECT_EQ(boxes.first.width, 247);
    EXPECT_EQ(boxes.second.x, 254);
    EXPECT_EQ(boxes.second.width, 246);
    EXPECT_EQ(boxes.second.height, 300);
}

TEST(SplitterGeometry, AStateFixesTheProportionThatLaterResizesKeep) {
    // set_gadget_state(4, 350) on 500 wide, then the splitter grows to 800.
    const int first = clamp_state(350, 493);
    const double ratio = ratio_for_state(493, first);
    SplitRequest state = request(kSplitSideBySide | kSplitThick, 500);
    state.forced = true;
    state.given_second = 493 - first;
    EXPECT_EQ(resolve_split(state).first, 350);
    SplitRequest grown = request(kSplitSideBySide | kSplitThick, 800);
    grown.ratio = ratio;
    EXPECT_EQ(resolve_split(grown).second, 230);
    EXPECT_EQ(resolve_split(grown).first, 563);
}

TEST(SplitterGeometry, TheHostsOuterSplitterAtItsInitialAndLargerSizes) {
    SplitRequest outer = request(kSplitThick, 600);
    outer.ratio = ratio_for_state(593, 500);
    EXPECT_EQ(resolve_split(outer).second, 93);
    outer = request(kSplitThick, 700);
    outer.ratio = ratio_for_state(593, 500);
    EXPECT_EQ(resolve_split(outer).second, 108);
    EXPECT_EQ(resolve_split(outer).first, 585);
    const SplitBoxes boxes = place_panes(kSplitThick, resolve_split(outer), 7, 1000);
    EXPECT_EQ(boxes.second.y, 592);
    EXPECT_EQ(boxes.second.width, 1000);
}

TEST(SplitterGeometry, ADragStoresOnlyTheRatioSoFCanBeOnePixelLarger) {
    const DragStep step = drag_to(2, 0, 9);
    EXPECT_EQ(step.first, 2);
    SplitRequest r = request(0, 9 + kThinSeparator);
    r.forced = true;
    r.ratio = step.ratio;
    const SplitLengths lengths = resolve_split(r);
    EXPECT_EQ(lengths.second, 6);
    EXPECT_EQ(lengths.first, 3);
}

TEST(SplitterGeometry, DragsStopAtEitherEndAndTheFarEndGivesAnInfiniteRatio) {
    EXPECT_EQ(drag_to(-50, 3, 100).first, 0);
    const DragStep end = drag_to(500, 3, 100);
    EXPECT_EQ(end.first, 100);
    EXPECT_TRUE(end.ratio == std::numeric_limits<double>::infinity());
    EXPECT_EQ(second_from_ratio(100, end.ratio), 0);
}

TEST(SplitterGeometry, KeptSidesApplyOnResizeOnlyAndTheFirstWins) {
    SplitRequest r = request(kSplitKeepFirst, 400);
    r.first_now = 120;
    EXPECT_EQ(resolve_split(r).first, 120);
    r.flags = kSplitKeepSecond;
    r.second_far_edge = 250;  // second gadget spans [124, 250)
    EXPECT_EQ(resolve_split(r).second, 250 - 4 - 120);
    r.flags = kSplitKeepFirst | kSplitKeepSecond;
    EXPECT_EQ(resolve_split(r).first, 120);
    // Forced layouts (drags, states) move the separator in every mode.
    r.forced = true;
    r.given_second = 50;
    EXPECT_EQ(resolve_split(r).second, 50);
}

TEST(SplitterGeometry, MinimumsThatCannotBothBeMetFavourTheFirst) {
    SplitRequest r = request(0, 104);
    r.first_minimum = 70;
    r.second_minimum = 60;
    const SplitLengths lengths = resolve_split(r);
    EXPECT_EQ(lengths.first, 70);
    EXPECT_EQ(lengths.second, 30);
    r.first_minimum = 0;
    r.second_minimum = 80;
    EXPECT_EQ(resolve_split(r).second, 80);
}

TEST(SplitterGeometry, StatesAtOrBeyondTheAvailableLengthBecomeOneLess) {
    EXPECT_EQ(clamp_state(493, 493), 492);
    EXPECT_EQ(clamp_state(100000, 493), 492);
    EXPECT_EQ(clamp_state(-20, 493), -20);
    EXPECT_EQ(clamp_state(std::numeric_limits<std::int64_t>::min(), 493) < 0, true);
    // A negative state ends at the first minimum once laid out.
    SplitRequest r = request(0, 497);
    r.forced = true;
    r.given_second = 493 - clamp_state(-20, 493);
    EXPECT_EQ(resolve_split(r).first, 0);
}

TEST(SplitterGeometry, DegenerateRatiosNeverOverflowIntoUndefinedConversions) {
    EXPECT_EQ(second_from_ratio(0, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(second_from_ratio(10, 0.0) > 0, true);  // +inf, clamped
    SplitRequest r = request(0, 2);                    // smaller than its separator
    r.ratio = ratio_for_state(r.available, clamp_state(5, r.available));
    const SplitLengths lengths = resolve_split(r);
    EXPECT_EQ(lengths.first + lengths.second, r.available);
}

TEST(SplitterGeometry, TheSeparatorBandIsOpenOnBothSides) {
    EXPECT_EQ(hit_offset(0, 7), 0);
    EXPECT_EQ(hit_offset(6, 7), 6);
    EXPECT_EQ(hit_offset(-6, 7), -6);
    EXPECT_EQ(hit_offset(7, 7), kSeparatorMissed);
    EXPECT_EQ(hit_offset(-7, 7), kSeparatorMissed);
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

// Sizes from a window the platform was asked to make 0 x 0 or 32,767
// square, and states and mice from anywhere: no overflow (the sanitizers
// stop on one), lengths that add up, drags clamped to the ends. Negative
// lengths stay negative: the platform gives a negative width no pixels.
TEST(SplitterGeometry, ExtremeSizesStatesAndMiceNeverOverflow) {
    constexpr int kHuge = 32767;
    for (const int length : {-100, 0, 1, kHuge})
        for (const std::int64_t state : {INT64_MIN, std::int64_t{-1}, INT64_MAX}) {
            SplitRequest r = request(0, length);
            r.ratio = ratio_for_state(r.available, clamp_state(state, r.available));
            const SplitLengths lengths = resolve_split(r);
            EXPECT_EQ(lengths.first + lengths.second, r.available) << length << ", " << state;
            EXPECT_LE(std::abs(lengths.first), INT_MAX / 2) << length << ", " << state;
        }
    EXPECT_EQ(drag_to(INT_MIN, 3, kHuge).first, 0);
    EXPECT_EQ(drag_to(INT_MAX - 3, 3, kHuge).first, kHuge);
}

// A top-level window lies wholly on its screen's work area: a fitting one
// stays, one beyond an edge moves just enough, one larger shrinks to it.
TEST(Placement, AWindowIsMovedJustEnoughAndShrunkToTheWorkArea) {
    const ScreenBox work{0, 0, 1920, 1040};
    const ScreenBox fits{1332, 203, 1885, 915};
    EXPECT_EQ(fit_inside(fits, work), fits);
    EXPECT_EQ(fit_inside({1998, 305, 2828, 1373}, work), (ScreenBox{1090, 0, 1920, 1040}));
    EXPECT_EQ(fit_inside({-50, -20, 150, 80}, work), (ScreenBox{0, 0, 200, 100}));
    // Invisible borders of 7 px round the visible frame stay outside the work area.
    EXPECT_EQ(fit_on_screen({-7, 0, 207, 107}, {0, 0, 200, 100}, work, false), (ScreenBox{-7, 0, 207, 107}));
    EXPECT_EQ(fit_on_screen({1800, 10, 2014, 117}, {1807, 10, 2007, 110}, work, false),
              (ScreenBox{1713, 10, 1927, 117}));
    EXPECT_EQ(fit_on_screen({-3000, 0, -2000, 100}, {-3000, 0, -2000, 100}, work, true),
              (ScreenBox{-3000, 0, -2000, 100}));  // minimised or maximised: the platform's
    EXPECT_EQ(fit_inside({260, -3, 1670, 1092}, work), (ScreenBox{260, 0, 1670, 1040}));
    EXPECT_EQ(fit_inside({100, 100, 4000, 300}, {-1920, 0, 0, 1080}), (ScreenBox{-1920, 100, 0, 300}));
}

}  // namespace
}  // namespace tessel
