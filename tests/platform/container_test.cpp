#include <gtest/gtest.h>

#include <vector>

#include "tests/support/platform_support.h"
#include "toolkit/forms/colors.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/callback.h"
#include "toolkit/window/event_pump.h"

namespace tessel {
namespace {

std::vector<std::intptr_t> types_queued_when_called;
HWND size_seen_for = nullptr;

LRESULT watch_container_size(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_SIZE || window == window_handle(2)) return kCallbackDefault;
    size_seen_for = window;
    types_queued_when_called.clear();
    for (const QueuedEvent* e = main_event_queue().head; e; e = e->next)
        if (e->code == gadget_event) types_queued_when_called.push_back(e->type);
    return 0;
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Window 2, so that event windows are told apart from 0.
        window = as_window(open_window(2, 60, 60, 400, 300, L"Containers", 0xCD0000));
        testing::pump_for(30);
        while (take_event(main_event_queue())) {}
    }
    void TearDown() override {
        set_window_callback(nullptr);
        close_window(2);
        testing::pump_for(10);
        while (take_event(main_event_queue())) {}
    }
    HWND window = nullptr;
};

TEST_F(ContainerTest, EachResizePostsTwoForcedEventsThenReachesTheCallback) {
    HWND container = as_window(create_container(1, 0, 0, 100, 100));
    close_gadget_list();
    set_window_callback(watch_container_size);
    suppress_events();  // as while a splitter's state is being set
    MoveWindow(container, 0, 0, 120, 90, TRUE);
    resume_events();
    EXPECT_EQ(size_seen_for, container);
    EXPECT_EQ(types_queued_when_called, (std::vector<std::intptr_t>{0, kContainerResized}));
    ASSERT_EQ(take_event(main_event_queue()), gadget_event);
    EXPECT_EQ(event_gadget(), 1);
    EXPECT_EQ(event_window(), 2);
    EXPECT_EQ(event_type(), 0);
    ASSERT_EQ(take_event(main_event_queue()), gadget_event);
    EXPECT_EQ(event_type(), kContainerResized);
}

TEST_F(ContainerTest, OnlyTheFirstBorderFlagTakesEffect) {
    HWND both = as_window(create_container(1, 0, 0, 50, 50, kContainerBorder | kContainerStaticEdge));
    close_gadget_list();
    EXPECT_TRUE(GetWindowLongW(both, GWL_STYLE) & WS_BORDER);
    EXPECT_EQ(GetWindowLongW(both, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE), 0);
    HWND edge = as_window(create_container(3, 0, 0, 50, 50, kContainerClientEdge));
    close_gadget_list();
    EXPECT_TRUE(GetWindowLongW(edge, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    HWND plain = as_window(create_container(4, 0, 0, 50, 50));
    close_gadget_list();
    EXPECT_FALSE(GetWindowLongW(plain, GWL_STYLE) & (WS_BORDER | WS_CLIPCHILDREN));
    wchar_t name[32] = {};
    GetClassNameW(plain, name, 32);
    EXPECT_STREQ(name, L"VaneContainer");
}

TEST_F(ContainerTest, ContainersOfOneColourShareABrushUntilTheLastGivesItBack) {
    const std::size_t before = brush_cache_entries();
    create_container(1, 0, 0, 50, 50);
    close_gadget_list();
    create_container(3, 60, 0, 50, 50);
    close_gadget_list();
    set_gadget_color(1, kColorBack, 0x00FF00);
    set_gadget_color(3, kColorBack, 0x00FF00);
    EXPECT_EQ(brush_cache_entries(), before + 1);
    const auto brush = reinterpret_cast<HBRUSH>(GetWindowLongPtrW(gadget_handle(1), 0));
    EXPECT_EQ(brush, reinterpret_cast<HBRUSH>(GetWindowLongPtrW(gadget_handle(3), 0)));
    set_gadget_color(1, kColorBack, kNoColor);
    EXPECT_EQ(GetWindowLongPtrW(gadget_handle(1), 0), 0);
    EXPECT_NE(GetObjectType(brush), 0u);  // still held by container 3
    DestroyWindow(gadget_handle(3));
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(brush_cache_entries(), before);
}

TEST_F(ContainerTest, OnlyTheBackColourIsAccepted) {
    create_container(1, 0, 0, 50, 50);
    close_gadget_list();
    set_gadget_color(1, kColorFront, 0x00FF00);
    EXPECT_EQ(GetWindowLongPtrW(gadget_handle(1), 0), 0);
}

TEST_F(ContainerTest, AWindowColourIsSetOnceAndRemovedByMinusOne) {
    set_window_color(2, kNoColor);  // never had one: nothing
    EXPECT_EQ(find_window_record(2)->background_brush, nullptr);
    set_window_color(2, 0x0000FF);
    HBRUSH brush = find_window_record(2)->background_brush;
    ASSERT_NE(brush, nullptr);
    set_window_color(2, 0x0000FF);
    EXPECT_EQ(find_window_record(2)->background_brush, brush);
    EXPECT_NE(GetObjectType(brush), 0u);
    set_window_color(2, kNoColor);
    EXPECT_EQ(find_window_record(2)->background_brush, nullptr);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(ContainerTest, TheWindowPainterLeavesChildrenOut) {
    set_window_color(2, 0x0000FF);
    HWND container = as_window(create_container(1, 100, 100, 80, 60));
    close_gadget_list();
    set_gadget_color(1, kColorBack, 0x00FF00);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testing::pump_for(50);
    // The window alone again: the container does not paint itself over
    // whatever the window's painter leaves in its place.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    const COLORREF outside = GetPixel(dc, 20, 20);
    const COLORREF inside = GetPixel(dc, 140, 130);
    ReleaseDC(window, dc);
    EXPECT_EQ(outside, 0x0000FFu);
    EXPECT_EQ(inside, 0x00FF00u);
    (void)container;
}

}  // namespace
}  // namespace tessel
