#include <gtest/gtest.h>

#include <vector>

#include "tests/support/platform_support.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/callback.h"
#include "toolkit/window/event_pump.h"

namespace tessel {
namespace {

struct Seen {
    HWND window;
    UINT message;
};
std::vector<Seen> seen;

LRESULT answer_default(HWND window, UINT message, WPARAM, LPARAM) {
    seen.push_back({window, message});
    return kCallbackDefault;
}

LRESULT swallow_close(HWND window, UINT message, WPARAM, LPARAM) {
    seen.push_back({window, message});
    return message == WM_CLOSE || message == WM_NCDESTROY ? 0 : kCallbackDefault;
}

// What a window's own callback saw, apart from the all-windows one.
std::vector<Seen> seen_by_window;

LRESULT window_answers_default(HWND window, UINT message, WPARAM, LPARAM) {
    seen_by_window.push_back({window, message});
    return kCallbackDefault;
}

bool saw(HWND window, UINT message, const std::vector<Seen>& in = seen) {
    for (const Seen& s : in)
        if (s.window == window && s.message == message) return true;
    return false;
}

class CallbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        seen_by_window.clear();
    }
    void TearDown() override {
        set_window_callback(nullptr);
        close_window(0);
        testing::pump_for(20);
        while (take_event(main_event_queue())) {}
    }
    HWND open() {
        HWND window = as_window(open_window(0, 50, 50, 300, 200, L"Hook", 0xCD0000));
        testing::pump_for(50);
        return window;
    }
};

std::vector<int> codes_after_resizes(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 350, 250, SWP_NOMOVE | SWP_NOZORDER);
    PostMessageW(window, WM_CLOSE, 0, 0);
    std::vector<int> codes;
    for (const auto& e : testing::collect_events(150))
        if (e.code != repaint && e.code != window_activated && e.code != window_deactivated)
            codes.push_back(e.code);
    return codes;
}

TEST_F(CallbackTest, ACallbackThatAlwaysAnswersTheDefaultChangesNothing) {
    HWND window = open();
    const std::vector<int> without = codes_after_resizes(window);
    close_window(0);
    window = open();
    set_window_callback(answer_default);
    const std::vector<int> with = codes_after_resizes(window);
    EXPECT_EQ(with, without);
    EXPECT_TRUE(saw(window, WM_SIZE));
}

TEST_F(CallbackTest, AnsweringZeroForCloseSuppressesTheCloseRequest) {
    HWND window = open();
    set_window_callback(swallow_close);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(testing::count_code(testing::collect_events(150), close_request), 0);
    set_window_callback(nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(testing::count_code(testing::collect_events(150), close_request), 1);
    // Its teardown still runs when the callback answers its last message.
    set_window_callback(swallow_close);
    DestroyWindow(window);
    EXPECT_EQ(window_handle(0), nullptr);
}

TEST_F(CallbackTest, TheAllWindowsCallbackSeesAContainersSizeWithTheContainersHandle) {
    open();
    set_window_callback(answer_default);
    HWND container = as_window(create_container(1, 0, 0, 100, 100));
    close_gadget_list();
    seen.clear();
    MoveWindow(container, 0, 0, 150, 120, TRUE);
    EXPECT_TRUE(saw(container, WM_SIZE));
}

TEST_F(CallbackTest, ACallbackSeesAWindowsCreationOnlyWhenInstalledBeforeIt) {
    HWND window = open();
    set_window_callback(answer_default);
    // Installed after opening: it takes effect for a window already open.
    SetWindowPos(window, nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(saw(window, WM_SIZE));
    close_window(0);
    seen.clear();
    window = open();  // installed first: sees them, before the window is numbered
    EXPECT_TRUE(saw(window, WM_NCCREATE));
}

TEST_F(CallbackTest, APerWindowCallbackTakesPrecedenceAndHasItsOwnReach) {
    HWND window = open();
    HWND container = as_window(create_container(1, 0, 0, 100, 100));
    close_gadget_list();
    set_window_callback(swallow_close);
    set_window_callback(0, window_answers_default, kReachOwnWindow);
    PostMessageW(window, WM_CLOSE, 0, 0);
    // The window's own callback answered the default: the all-windows one,
    // which would have swallowed the close, never saw it.
    EXPECT_EQ(testing::count_code(testing::collect_events(150), close_request), 1);
    EXPECT_TRUE(saw(window, WM_CLOSE, seen_by_window));
    EXPECT_FALSE(saw(window, WM_CLOSE));
    // Reach 0: the container's messages go to the all-windows callback.
    seen.clear();
    MoveWindow(container, 0, 0, 140, 120, TRUE);
    EXPECT_TRUE(saw(container, WM_SIZE));
    EXPECT_FALSE(saw(container, WM_SIZE, seen_by_window));
    // Reach 1: the window's own callback takes them too.
    set_window_callback(0, window_answers_default, kReachChildren);
    seen.clear();
    MoveWindow(container, 0, 0, 130, 110, TRUE);
    EXPECT_TRUE(saw(container, WM_SIZE, seen_by_window));
    EXPECT_FALSE(saw(container, WM_SIZE));
    set_window_callback(7, answer_default, kReachChildren);  // no window 7: nothing
}

}  // namespace
}  // namespace tessel
