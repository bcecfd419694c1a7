// The host stays in charge whatever its add-ons do, and leaves nothing
// running behind it. Processes are counted from the system's list, not
// from the host's own records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

bool no_addon_within(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (addon_process_count() != 0) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

// The windows that are still there fill their panes.
bool remaining_fill(HostRun& host) {
    for (int slot = 1; slot <= 3; ++slot) {
        HWND window = host.embedded(slot);
        if (!window) continue;
        const RECT pane = client_rect(host.pane(slot));
        const RECT inside = rect_in(host.pane(slot), window);
        if (inside.left || inside.top || inside.right != pane.right || inside.bottom != pane.bottom) return false;
    }
    return true;
}

// Milliseconds from asking for a client width until the full-width pane
// has it; -1 when it did not come within a second.
double resize_step_ms(HostRun& host, int width, int height) {
    const ULONGLONG started = GetTickCount64();
    host.resize_client(width, height);
    const bool done = pump_until([&] { return client_rect(host.pane(3)).right == width; }, 1000);
    return done ? static_cast<double>(GetTickCount64() - started) : -1;
}

TEST(KilledAddon, KilledFromTheMachinesSideTheHostGoesOnThroughExtremeSizes) {
    const std::wstring label = L"kill9";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    signal_addon(label, "Emberpane", "KILL");
    ASSERT_TRUE(pump_until([&] { return host.embedded(2) == nullptr; }, 5000));
    EXPECT_GT(resize_step_ms(host, 1000, 700), 0);
    EXPECT_TRUE(pump_until([&] { return remaining_fill(host); }, 3000));
    for (const SIZE size : {SIZE{0, 0}, SIZE{32767, 32767}, SIZE{1, 1}, SIZE{900, 650}}) {
        host.resize_client(size.cx, size.cy);
        EXPECT_TRUE(host.responsive(3000)) << size.cx << " x " << size.cy;
    }
    EXPECT_GT(resize_step_ms(host, 800, 600), 0);
    EXPECT_TRUE(pump_until([&] { return remaining_fill(host); }, 3000));
    EXPECT_EQ(host.close_and_wait(), 0u);
    EXPECT_EQ(FindWindowW(nullptr, L"Wine"), nullptr);  // no error dialog
}

// A close during start-up is checked with the host's start.
TEST(NoOrphans, NoAddonOutlivesACloseOrAKilledHost) {
    ASSERT_TRUE(no_addon_within(5000));
    {
        HostRun host(prepare_host(L"closed"));
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(host.wait_captured({1, 2, 3}));
        EXPECT_EQ(host.close_and_wait(), 0u);
        EXPECT_TRUE(no_addon_within(1000)) << "after a close";
    }
    {
        HostRun host(prepare_host(L"killed"));
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(host.wait_captured({1, 2, 3}));
        TerminateProcess(host.process().handle, 9);
        EXPECT_TRUE(no_addon_within(5000)) << "after the host was killed";
    }
}

TEST(StoppedAddon, TheHostAnswersQuicklyAndClosingEndsEverythingWithinFiveSeconds) {
    const std::wstring label = L"stopped-close";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    signal_addon(label, "Emberpane", "STOP");
    double slowest = 0;
    for (int step = 0; step < 10; ++step) {
        const double took = resize_step_ms(host, 700 + 20 * step, 500 + 10 * step);
        EXPECT_GE(took, 0) << "step " << step;
        slowest = std::max(slowest, took);
    }
    std::printf("with a stopped add-on: slowest of 10 resizes %.0f ms\n", slowest);
    const ULONGLONG asked = GetTickCount64();
    EXPECT_EQ(host.close_and_wait(5000), 0u);
    EXPECT_TRUE(no_addon_within(5000 - static_cast<DWORD>(std::min<ULONGLONG>(GetTickCount64() - asked, 5000))));
    std::printf("closed with a stopped add-on: all gone after %llu ms\n", GetTickCount64() - asked);
    signal_addon(label, "Emberpane", "CONT");  // should anything be left
}

TEST(Idle, AnIdleHostAndItsAddonsUseAlmostNoProcessor) {
    const std::wstring label = L"idle";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    Sleep(1000);  // let start-up's painting settle
    const char* programs[] = {"Tessel", "Cobaltpane", "Emberpane", "Saffronpane"};
    double before[4];
    for (int i = 0; i < 4; ++i) {
        before[i] = program_cpu_ms(label, programs[i]);
        ASSERT_GT(before[i], 0) << programs[i] << ": its start-up was counted";
    }
    Sleep(10'000);
    for (int i = 0; i < 4; ++i) {
        const double used = program_cpu_ms(label, programs[i]) - before[i];
        std::printf("idle 10 s: %-12s %5.0f ms of processor (start-up: %.0f ms)\n", programs[i], used, before[i]);
        EXPECT_LT(used, 20.0) << programs[i];
    }
    EXPECT_EQ(host.close_and_wait(), 0u);
}

}  // namespace
}  // namespace tessel::testing
