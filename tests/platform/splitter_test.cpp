#include <gtest/gtest.h>

#include <vector>

#include "tests/support/platform_support.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/gadgets/splitter.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

struct Box {
    int x, y, width, height;
    bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << b.x << "," << b.y << " " << b.width << "x" << b.height;
}

Box box_of(ObjectId gadget) {
    HWND window = gadget_handle(gadget);
    const RECT r = testing::rect_in(GetAncestor(window, GA_PARENT), window);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::vector<std::intptr_t> queued_gadget_events() {
    std::vector<std::intptr_t> objects;
    for (const QueuedEvent* e = main_event_queue().head; e; e = e->next)
        if (e->code == gadget_event) objects.push_back(e->object);
    return objects;
}

int count_of(const std::vector<std::intptr_t>& objects, std::intptr_t object) {
    int count = 0;
    for (std::intptr_t o : objects) count += o == object;
    return count;
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = as_window(open_window(2, 40, 40, 800, 600, L"Splitters", 0xCD0000));
        testing::pump_for(30);
        drain();
    }
    void TearDown() override {
        ReleaseCapture();
        close_window(2);
        testing::pump_for(10);
        drain();
    }
    static void drain() {
        while (take_event(main_event_queue())) {}
    }
    // Containers 1, 2 (and 3) in the window, as the host makes them.
    void make_containers(int count = 2) {
        for (int n = 1; n <= count; ++n) {
            create_container(n, 0, 0, 300, 300);
            close_gadget_list();
        }
    }
    HWND window = nullptr;
};

TEST_F(SplitterTest, TheHostsTwoSplittersLayOutTheirPanesStepByStep) {
    make_containers(3);
    HWND inner = as_window(create_splitter(4, 0, 0, 500, 300, 1, 2, kSplitSideBySide | kSplitThick));
    ASSERT_NE(inner, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(inner, name, 32);
    EXPECT_STREQ(name, L"VaneSplitter");
    EXPECT_EQ(GetAncestor(gadget_handle(1), GA_PARENT), inner);
    EXPECT_EQ(GetAncestor(gadget_handle(2), GA_PARENT), inner);
    EXPECT_EQ(box_of(1), (Box{0, 0, 247, 300}));
    EXPECT_EQ(box_of(2), (Box{254, 0, 246, 300}));

    set_gadget_state(4, 350);
    EXPECT_EQ(box_of(1), (Box{0, 0, 350, 300}));
    EXPECT_EQ(box_of(2), (Box{357, 0, 143, 300}));
    EXPECT_EQ(gadget_state(4), 350);

    HWND outer = as_window(create_splitter(5, 0, 0, 800, 600, 4, 3, kSplitThick));
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(GetAncestor(inner, GA_PARENT), outer);
    EXPECT_EQ(box_of(4), (Box{0, 0, 800, 297}));
    EXPECT_EQ(box_of(1), (Box{0, 0, 563, 297}));
    EXPECT_EQ(box_of(2), (Box{570, 0, 230, 297}));
    EXPECT_EQ(box_of(3), (Box{0, 304, 800, 296}));

    set_gadget_state(5, 500);
    EXPECT_EQ(box_of(4), (Box{0, 0, 800, 500}));
    EXPECT_EQ(box_of(1), (Box{0, 0, 563, 500}));
    EXPECT_EQ(box_of(3), (Box{0, 507, 800, 93}));
    EXPECT_EQ(gadget_attribute(5, kSplitterFirstGadget), 4);
    EXPECT_EQ(gadget_attribute(5, kSplitterSecondGadget), 3);

    resize_gadget(5, 0, 0, 1000, 700);
    EXPECT_EQ(box_of(1), (Box{0, 0, 705, 585}));
    EXPECT_EQ(box_of(2), (Box{712, 0, 288, 585}));
    EXPECT_EQ(box_of(3), (Box{0, 592, 1000, 108}));
}

TEST_F(SplitterTest, AStateChangeQueuesNoSplitterEventsButTheContainersStillReport) {
    make_containers(3);
    create_splitter(4, 0, 0, 500, 300, 1, 2, kSplitSideBySide | kSplitThick);
    create_splitter(5, 0, 0, 800, 600, 4, 3, kSplitThick);
    drain();
    set_gadget_state(5, 400);
    std::vector<std::intptr_t> events = queued_gadget_events();
    EXPECT_EQ(count_of(events, 4), 0);
    EXPECT_EQ(count_of(events, 5), 0);
    EXPECT_EQ(count_of(events, 3), 2);  // its two forced events
    EXPECT_EQ(count_of(events, 1), 2);
    EXPECT_EQ(main_event_queue().suppression, 0);
    drain();
    // A resize from outside is a user change: both splitters report it.
    resize_gadget(5, 0, 0, 700, 500);
    events = queued_gadget_events();
    EXPECT_GE(count_of(events, 4), 1);
    EXPECT_GE(count_of(events, 5), 1);
    for (const QueuedEvent* e = main_event_queue().head; e; e = e->next) {
        if (e->code == gadget_event && e->object == 4) {
            EXPECT_EQ(e->window, 2);
        }
    }
}

TEST_F(SplitterTest, KeptSidesHoldOnResizeWhileStatesMoveTheBarInEveryMode) {
    struct Mode {
        unsigned flags;
        Box first_after, second_after;
    };
    // Each splitter starts 400 wide: A = 396, F = 198, S = 198, then grows to 500.
    const Mode modes[] = {
        {kSplitSideBySide | kSplitKeepFirst, {0, 0, 198, 200}, {202, 0, 298, 200}},
        {kSplitSideBySide | kSplitKeepSecond, {0, 0, 298, 200}, {302, 0, 198, 200}},
        {kSplitSideBySide | kSplitKeepFirst | kSplitKeepSecond, {0, 0, 198, 200},
         {202, 0, 298, 200}},
        {kSplitSideBySide, {0, 0, 248, 200}, {252, 0, 248, 200}},
    };
    for (const Mode& mode : modes) {
        make_containers();
        ASSERT_NE(create_splitter(4, 0, 0, 400, 200, 1, 2, mode.flags), 0);
        resize_gadget(4, 0, 0, 500, 200);
        EXPECT_EQ(box_of(1), mode.first_after) << mode.flags;
        EXPECT_EQ(box_of(2), mode.second_after) << mode.flags;
        set_gadget_state(4, 100);
        EXPECT_EQ(box_of(1).width, 100) << mode.flags;
        EXPECT_EQ(box_of(2).width, 396) << mode.flags;
        DestroyWindow(gadget_handle(4));  // takes both containers with it
        EXPECT_EQ(gadget_handle(1), nullptr);
        EXPECT_EQ(splitter_data(4), nullptr);
    }
}

TEST_F(SplitterTest, MinimumsWaitForTheNextLayoutAndTheFirstWins) {
    make_containers();
    create_splitter(4, 0, 0, 404, 200, 1, 2, kSplitSideBySide);  // A = 400
    set_gadget_attribute(4, kSplitterFirstMinimum, 300);
    EXPECT_EQ(gadget_attribute(4, kSplitterFirstMinimum), 300);
    EXPECT_EQ(box_of(1).width, 200);  // not moved yet
    resize_gadget(4, 0, 0, 404, 201);
    EXPECT_EQ(box_of(1).width, 300);
    set_gadget_attribute(4, kSplitterSecondMinimum, 250);  // 300 + 250 > 400
    set_gadget_state(4, 200);
    EXPECT_EQ(box_of(1).width, 300);
    EXPECT_EQ(box_of(2).width, 100);
    EXPECT_EQ(gadget_attribute(4, 99), 0);
}

TEST_F(SplitterTest, StatesAtOrBeyondTheEndStopOnePixelShort) {
    make_containers();
    create_splitter(4, 0, 0, 407, 200, 1, 2, kSplitSideBySide | kSplitThick);  // A = 400
    set_gadget_state(4, 400);
    EXPECT_EQ(box_of(1).width, 399);
    EXPECT_EQ(box_of(2).width, 1);
    set_gadget_state(4, 0x7FFFFFFF00000005);  // only the low half counts
    EXPECT_EQ(box_of(1).width, 5);
    set_gadget_state(4, -30);
    EXPECT_EQ(box_of(1).width, 0);
}

TEST_F(SplitterTest, ADragMovesTheBarAndTheSamePlaceAgainPostsNothing) {
    make_containers();
    HWND splitter = as_window(create_splitter(4, 0, 0, 407, 200, 1, 2, kSplitSideBySide | kSplitThick));
    drain();
    // Grab the bar 3 pixels in from its start (F = 200).
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, at(203, 50));
    ASSERT_EQ(GetCapture(), splitter);
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, at(103, 50));
    EXPECT_EQ(box_of(1).width, 100);
    EXPECT_EQ(count_of(queued_gadget_events(), 4), 1);
    drain();
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, at(103, 60));
    EXPECT_EQ(count_of(queued_gadget_events(), 4), 0);
    // Beyond either end the drag stops at F = 0 or F = A.
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, at(-200, 50));
    EXPECT_EQ(box_of(1).width, 0);
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, at(1000, 50));
    EXPECT_EQ(box_of(1).width, 400);
    EXPECT_EQ(box_of(2).width, 0);
    SendMessageW(splitter, WM_LBUTTONUP, 0, at(1000, 50));
    EXPECT_EQ(GetCapture(), nullptr);
    drain();
    // Without the capture a move does nothing; a press beside the bar takes none.
    SendMessageW(splitter, WM_MOUSEMOVE, 0, at(50, 50));
    EXPECT_EQ(box_of(1).width, 400);
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, at(50, 50));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(queued_gadget_events().empty());
}

TEST_F(SplitterTest, AZeroSizeLeavesThePanesAndTheNextSizeRestoresTheProportion) {
    make_containers();
    create_splitter(4, 0, 0, 507, 300, 1, 2, kSplitSideBySide | kSplitThick);
    set_gadget_state(4, 125);  // ratio 500 / 375
    SendMessageW(gadget_handle(4), WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_EQ(box_of(1), (Box{0, 0, 125, 300}));
    resize_gadget(4, 0, 0, 0, 0);
    EXPECT_EQ(box_of(1), (Box{0, 0, 125, 300}));
    EXPECT_EQ(box_of(2), (Box{132, 0, 375, 300}));
    resize_gadget(4, 0, 0, 1007, 300);  // A = 1000
    EXPECT_EQ(box_of(1).width, 250);
    EXPECT_EQ(box_of(2).width, 750);
}

TEST_F(SplitterTest, OnlyTheBarShowsTheResizeCursorAndEachSplitterAnswersForItself) {
    make_containers(3);
    HWND inner = as_window(create_splitter(4, 0, 0, 500, 300, 1, 2, kSplitSideBySide | kSplitThick));
    HWND outer = as_window(create_splitter(5, 0, 0, 800, 600, 4, 3, kSplitThick));
    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    auto point_at = [&](HWND splitter, int x, int y) {
        POINT p{x, y};
        ClientToScreen(splitter, &p);
        SetCursorPos(p.x, p.y);
    };
    // Inner bar: x 400 to 406 of 800 (F = 400, T = 7).
    point_at(inner, 403, 100);
    SetCursor(nullptr);
    EXPECT_EQ(SendMessageW(inner, WM_SETCURSOR, reinterpret_cast<WPARAM>(inner), hit), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    // The outer splitter neither claims it nor answers for its children.
    EXPECT_EQ(SendMessageW(outer, WM_SETCURSOR, reinterpret_cast<WPARAM>(inner), hit), 0);
    point_at(outer, 300, 298);  // outer bar: y 297 to 303
    EXPECT_EQ(SendMessageW(outer, WM_SETCURSOR, reinterpret_cast<WPARAM>(outer), hit), 1);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
    point_at(inner, 100, 100);  // over container 1
    EXPECT_EQ(SendMessageW(inner, WM_SETCURSOR, reinterpret_cast<WPARAM>(inner), hit), 0);
}

TEST_F(SplitterTest, GadgetsThatAreNotThereMakeNoSplitter) {
    make_containers();
    const std::size_t before = gadget_table()->slots.size();
    EXPECT_EQ(create_splitter(4, 0, 0, 100, 100, 1, 77, 0), 0);
    EXPECT_EQ(create_splitter(4, 0, 0, 100, 100, 1, 1, 0), 0);
    EXPECT_EQ(create_splitter(4, 0, 0, 100, 100, -5, 2, 0), 0);
    EXPECT_EQ(gadget_handle(4), nullptr);
    EXPECT_EQ(gadget_table()->slots.size(), before);
    EXPECT_EQ(GetAncestor(gadget_handle(1), GA_PARENT), window);
    // Operations on gadgets without those slots, or on none, answer 0.
    EXPECT_EQ(gadget_state(1), 0);
    EXPECT_EQ(gadget_attribute(77, kSplitterFirstGadget), 0);
    set_gadget_attribute(77, kSplitterFirstMinimum, 5);
}

TEST_F(SplitterTest, ReplacingAGadgetGivesTheOldOneBackToTheSplittersParent) {
    make_containers(3);
    HWND splitter = as_window(create_splitter(4, 0, 0, 400, 200, 1, 2, kSplitSideBySide));
    set_gadget_attribute(4, kSplitterSecondGadget, 3);
    EXPECT_EQ(GetAncestor(gadget_handle(2), GA_PARENT), window);
    EXPECT_EQ(GetAncestor(gadget_handle(3), GA_PARENT), splitter);
    EXPECT_EQ(gadget_attribute(4, kSplitterSecondGadget), 3);
    EXPECT_EQ(box_of(3), (Box{202, 0, 198, 200}));
    set_gadget_attribute(4, kSplitterFirstGadget, 99);  // names nothing: no change
    EXPECT_EQ(gadget_attribute(4, kSplitterFirstGadget), 1);
    // A child destroyed under the splitter leaves every other gadget alone.
    create_container(0, 5, 5, 50, 50);
    close_gadget_list();
    DestroyWindow(gadget_handle(1));
    resize_gadget(4, 0, 0, 300, 150);
    EXPECT_EQ(box_of(0), (Box{5, 5, 50, 50}));
}

}  // namespace
}  // namespace tessel
