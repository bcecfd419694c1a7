// The host started as a user would, with real add-ons or stand-ins.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

constexpr DWORD kTerminated = 0xFFFFFFFF;

TEST(HostStart, CapturesEachAddonIntoItsOwnPaneAndEndsThemAllOnClose) {
    HostRun host(prepare_host(L"all"));
    ASSERT_TRUE(host.start());
    ASSERT_NE(host.main_window(), nullptr);
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    Process addons[4];
    for (int slot = 1; slot <= 3; ++slot) {
        HWND window = host.embedded(slot);
        wchar_t title[32] = {};
        GetWindowTextW(window, title, 32);
        EXPECT_STREQ(title, kAddonNames[slot]) << "slot " << slot;
        EXPECT_EQ(GetAncestor(window, GA_PARENT), host.pane(slot));
        // Shown by the host without waiting on the add-on: in a moment.
        EXPECT_TRUE(pump_until([&] { return IsWindowVisible(window) != 0; })) << "slot " << slot;
        EXPECT_TRUE(GetWindowLongW(host.pane(slot), GWL_STYLE) & WS_CLIPCHILDREN);
        addons[slot] = process_of_window(window);
        ASSERT_NE(addons[slot].handle, nullptr);
        EXPECT_NE(addons[slot].id, host.process().id);
    }
    EXPECT_EQ(host.close_and_wait(), 0u);
    for (int slot = 1; slot <= 3; ++slot) {
        // Already gone when the host has exited: terminated, not asked.
        EXPECT_TRUE(has_ended(addons[slot])) << "slot " << slot;
        EXPECT_EQ(wait_exit(addons[slot], 0), kTerminated) << "slot " << slot;
        CloseHandle(addons[slot].handle);
    }
    EXPECT_EQ(FindWindowW(nullptr, L"Cobaltpane"), nullptr);
}

TEST(HostStart, SlotsStartOneAfterAnotherAndAddonsRunInTheHostsDirectory) {
    // A slow first add-on: the second may start only once it is captured.
    HostRun host(prepare_host(L"order", {{1, fake_addon(L"slow")}}));
    const std::wstring elsewhere = fresh_directory(L"elsewhere");
    ASSERT_TRUE(host.start(elsewhere));
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    Process first = process_of_window(host.embedded(1));
    Process second = process_of_window(host.embedded(2));
    EXPECT_GE(seconds_between(started_at(first), started_at(second)), 1.5);
    // Found beside the host, and run with the host's directory as theirs.
    std::wstring directory = host.directory();
    directory.pop_back();
    const std::wstring note = host.directory() + L"Cobaltpane.started";
    EXPECT_EQ(read_line(note, 0), directory);
    // Asked to start hidden, with nothing after the quoted path.
    EXPECT_EQ(read_line(note, 1), std::to_wstring(SW_HIDE));
    EXPECT_EQ(read_line(note, 2), L"\"" + host.directory() + L"Addon\\Cobaltpane.exe\"");
    EXPECT_EQ(host.close_and_wait(), 0u);
    EXPECT_EQ(wait_exit(first, 0), kTerminated);
    CloseHandle(first.handle);
    CloseHandle(second.handle);
}

TEST(HostStart, AMissingAddonLeavesItsPaneEmptyAndTheOthersGoOn) {
    HostRun host(prepare_host(L"missing", {{2, L""}}));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 3}));
    // Slot 3 started right after slot 1's capture: no search (of ten
    // seconds at the most) ran for slot 2 in between.
    Process first = process_of_window(host.embedded(1));
    Process third = process_of_window(host.embedded(3));
    EXPECT_LT(seconds_between(started_at(first), started_at(third)), 5.0);
    CloseHandle(first.handle);
    CloseHandle(third.handle);
    ASSERT_NE(host.pane(2), nullptr);
    EXPECT_EQ(host.embedded(2), nullptr);
    // The layout is the same with one pane empty.
    const RECT want[] = {{0, 0, 563, 500}, {570, 0, 800, 500}, {0, 507, 800, 600}};
    EXPECT_TRUE(pump_until([&] {
        for (int slot = 1; slot <= 3; ++slot) {
            const RECT pane = rect_in(host.main_window(), host.pane(slot));
            if (!EqualRect(&pane, &want[slot - 1])) return false;
        }
        return true;
    }));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostStart, AnAddonThatEndsAtOnceIsGivenUpAsSoonAsItHasEnded) {
    HostRun host(prepare_host(L"quits", {{2, fake_addon(L"quits")}}));
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 3}));
    EXPECT_LT(GetTickCount64() - start, 8000u);  // well inside the search's own bound
    EXPECT_EQ(host.embedded(2), nullptr);
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostStart, AnAddonThatNeverShowsItsTitleIsGivenUpAndStillEndedAtShutdown) {
    HostRun host(prepare_host(L"untitled", {{2, fake_addon(L"untitled")}}));
    ASSERT_TRUE(host.start());
    HWND other = nullptr;
    ASSERT_TRUE(pump_until([&] { return (other = FindWindowW(nullptr, L"Emberpane-other")); }, 15000));
    Process stray = process_of_window(other);
    ASSERT_TRUE(host.wait_captured({1, 3}, 25000));
    EXPECT_EQ(host.embedded(2), nullptr);
    EXPECT_EQ(host.close_and_wait(), 0u);
    EXPECT_EQ(wait_exit(stray, 2000), kTerminated);
    CloseHandle(stray.handle);
}

TEST(HostStart, ACloseDuringStartUpIsLostAndOneAfterItEndsTheHostAndEveryAddon) {
    HostRun host(prepare_host(L"early-close", {{1, fake_addon(L"slow")}}));
    ASSERT_TRUE(host.start());
    ASSERT_NE(host.main_window(), nullptr);
    PostMessageW(host.main_window(), WM_CLOSE, 0, 0);  // slot 1 is still being searched
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    EXPECT_TRUE(host.responsive());
    EXPECT_FALSE(has_ended(host.process()));
    EXPECT_EQ(host.close_and_wait(), 0u);
    EXPECT_EQ(addon_process_count(), 0);
}

TEST(HostStart, AnAddonStartedByHandKeepsItsWindowWhileTheHostCapturesItsOwn) {
    Process by_hand = start_process(build_addon(L"Saffronpane"));
    HWND own = nullptr;
    ASSERT_TRUE(pump_until([&] { return (own = FindWindowW(nullptr, L"Saffronpane")); }, 10000));
    HostRun host(prepare_host(L"by-hand"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    EXPECT_NE(host.embedded(3), own);
    EXPECT_NE(process_of_window(host.embedded(3)).id, by_hand.id);
    EXPECT_EQ(GetAncestor(own, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(host.close_and_wait(), 0u);
    // The host ended its own; the one started by hand runs on until closed.
    EXPECT_TRUE(IsWindow(own));
    EXPECT_FALSE(has_ended(by_hand));
    PostMessageW(own, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(by_hand), 0u);
    CloseHandle(by_hand.handle);
    EXPECT_EQ(addon_process_count(), 0);
}

TEST(HostStart, TheMainWindowIsCentredWithAnExactClientArea) {
    HostRun host(prepare_host(L"window"));
    ASSERT_TRUE(host.start());
    HWND window = host.main_window();
    ASSERT_NE(window, nullptr);
    const RECT client = client_rect(window);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    const RECT outer = window_rect(window);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX);
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    // Resizing, maximising and activation do not end it.
    host.resize_client(700, 500);
    ShowWindow(window, SW_MAXIMIZE);
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    // Answering a message sent after them, it has handled them all.
    EXPECT_TRUE(host.responsive());
    EXPECT_FALSE(has_ended(host.process()));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

}  // namespace
}  // namespace tessel::testing
