#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/platform_support.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

using Clock = std::chrono::steady_clock;
using testing::collect_events;
using testing::count_code;

class EventPumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = as_window(open_window(0, 100, 100, 400, 300, L"Pump", 0xCD0000));
        testing::pump_for(100);
        while (take_event(main_event_queue())) {}
    }
    void TearDown() override {
        close_window(0);
        testing::pump_for(20);
        while (take_event(main_event_queue())) {}
    }
    HWND window = nullptr;
};

TEST_F(EventPumpTest, TimedWaitsReturnNothingWithoutSleepingOrAfterAboutTheirTimeout) {
    testing::pump_for(50);
    auto start = Clock::now();
    EXPECT_EQ(wait_event(0), 0);
    const auto looked = Clock::now() - start;
    EXPECT_LT(looked, std::chrono::milliseconds(5));
    int zero_waits = 0;
    start = Clock::now();
    for (int i = 0; i < 20; ++i) zero_waits += wait_event(1) == 0;
    const auto waited = Clock::now() - start;
    EXPECT_EQ(zero_waits, 20);
    EXPECT_GE(waited, std::chrono::milliseconds(15));  // about 1 ms each
    EXPECT_LT(waited, std::chrono::milliseconds(400));
}

TEST_F(EventPumpTest, CloseGivesTheMessageFirstThenCloseRequestAndTheWindowStaysOpen) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_event(100), static_cast<int>(WM_CLOSE));
    EXPECT_EQ(wait_event(100), close_request);
    EXPECT_EQ(event_gadget(), 0);
    EXPECT_EQ(event_window(), 0);
    EXPECT_TRUE(IsWindow(window));
    // The unlock message follows; it wakes a blocked wait.
    EXPECT_EQ(wait_event(100), static_cast<int>(unlock_message()));
}

TEST_F(EventPumpTest, AClickOnTheCloseBoxReturnsItsMessageThenCloseRequest) {
    const RECT outer = testing::window_rect(window);
    const int close_x = outer.right - GetSystemMetrics(SM_CXSIZE) / 2 - 4;
    const int close_y = outer.top + GetSystemMetrics(SM_CYSIZE) / 2 + 3;
    testing::xdotool("mousemove --sync " + std::to_string(close_x) + " " +
                     std::to_string(close_y) + " click 1");
    bool message_first = false;
    int code = 0;
    const ULONGLONG end = GetTickCount64() + 3000;
    while (GetTickCount64() < end && (code = wait_event(1)) != close_request)
        if (code != 0) message_first = true;
    EXPECT_EQ(code, close_request);
    EXPECT_TRUE(message_first);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(EventPumpTest, QueuedResizesCollapseIntoTheNewest) {
    // Another event after each resize: only the removal of the older
    // resizes, not the merging of a repeated last event, leaves one.
    EventQueue& queue = main_event_queue();
    for (int width : {410, 420, 430}) {
        SetWindowPos(window, nullptr, 0, 0, width, 300, SWP_NOMOVE);
        post_event(queue, gadget_event, 99, 0, 0, 0, nullptr, 0);
    }
    int resized = 0, after_last = 0;
    for (const QueuedEvent* e = queue.head; e; e = e->next) {
        resized += e->code == window_resized;
        after_last = e->code == window_resized ? 0 : after_last + 1;
    }
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(after_last, 1);  // the newest one is kept
    remove_events(queue, gadget_event, 99, kAnyField, kAnyField);
}

TEST_F(EventPumpTest, MinimiseThenRestoreReportsBothAndTheNewSize) {
    ShowWindow(window, SW_MINIMIZE);
    auto events = collect_events(300);
    EXPECT_EQ(count_code(events, window_minimized), 1);
    ShowWindow(window, SW_RESTORE);
    events = collect_events(300);
    int restored_at = -1, resized_after = -1;
    for (int i = 0; i < static_cast<int>(events.size()); ++i) {
        if (events[i].code == window_restored && restored_at < 0) restored_at = i;
        if (events[i].code == window_resized && restored_at >= 0) resized_after = i;
    }
    EXPECT_GE(restored_at, 0);
    EXPECT_GT(resized_after, restored_at);
}

TEST_F(EventPumpTest, MaximiseReportsMaximisedThenResized) {
    ShowWindow(window, SW_MAXIMIZE);
    auto events = collect_events(300);
    EXPECT_EQ(count_code(events, window_maximized), 1);
    EXPECT_GE(count_code(events, window_resized), 1);
    ShowWindow(window, SW_RESTORE);
    events = collect_events(300);
    EXPECT_EQ(count_code(events, window_restored), 1);
}

TEST_F(EventPumpTest, DelayIgnoresNegativeTimesAndRaisesTheResolutionOnce) {
    const bool before = timer_resolution_raised();
    auto start = Clock::now();
    delay(-5);
    EXPECT_EQ(timer_resolution_raised(), before);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(5));
    delay(0);
    EXPECT_TRUE(timer_resolution_raised());
    start = Clock::now();
    delay(20);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(19));
}

TEST_F(EventPumpTest, ShiftTabOnTheFirstTabStopMovesToTheLast) {
    auto make_button = [&](int y) {
        return CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, y,
                               80, 24, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    };
    HWND first = make_button(10), middle = make_button(40), last = make_button(70);
    (void)middle;
    SetForegroundWindow(window);
    testing::pump_until([&] { return GetActiveWindow() == window; }, 2000);
    SetFocus(first);
    testing::xdotool("key --clearmodifiers shift+Tab");
    EXPECT_TRUE(testing::pump_until([&] { return GetFocus() == last; }, 2000));
    testing::xdotool("key Tab");
    EXPECT_TRUE(testing::pump_until([&] { return GetFocus() == first; }, 2000));
    // From a focused control that is no tab stop, Tab goes on from its place.
    HWND plain = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 100, 80, 24, window,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND after = make_button(130);
    SetFocus(plain);
    testing::xdotool("key Tab");
    EXPECT_TRUE(testing::pump_until([&] { return GetFocus() == after; }, 2000));
    // A tab stop of another thread, as an embedded program's, is its own.
    std::atomic<HWND> foreign{nullptr};
    std::thread other([&] {
        foreign = CreateWindowExW(0, L"BUTTON", L"f", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 160, 80, 24,
                                  window, nullptr, nullptr, nullptr);
        for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
    });
    ASSERT_TRUE(testing::pump_until([&] { return foreign.load() != nullptr; }, 2000));
    move_focus(false);
    EXPECT_EQ(GetFocus(), first);
    PostThreadMessageW(GetWindowThreadProcessId(foreign, nullptr), WM_QUIT, 0, 0);
    testing::pump_until([&] { return !IsWindow(foreign); }, 2000);
    other.join();
}

}  // namespace
}  // namespace tessel
