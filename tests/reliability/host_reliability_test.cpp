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

// Stopped by the test itself, with no tool of the machine, so that this
// also runs on Windows: its thread suspended, whatever it was doing.
TEST(StoppedAddon, TheHostAnswersQuicklyAndClosingEndsEverythingWithinFiveSeconds) {
    HostRun host(prepare_host(L"stopped-close"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    const DWORD ember = GetWindowThreadProcessId(host.embedded(2), nullptr);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, ember);
    ASSERT_NE(thread, nullptr);
    ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
    double slowest = 0;
    for (int step = 0; step < 10; ++step) {
        const double took = resize_step_ms(host, 700 + 20 * step, 500 + 10 * step);
        EXPECT_GE(took, 0) << "step " << step;
        slowest = std::max(slowest, took);
    }
    std::printf("with a stopped add-on: slowest of 10 resizes %.0f ms\n", slowest);
    for (const WPARAM command : {SC_MAXIMIZE, SC_RESTORE, SC_MOVE | HTCAPTION}) {
        PostMessageW(host.main_window(), WM_SYSCOMMAND, command, 0);
        EXPECT_TRUE(host.responsive(3000)) << std::hex << command;
    }
    const ULONGLONG asked = GetTickCount64();
    EXPECT_EQ(host.close_and_wait(5000), 0u);
    EXPECT_TRUE(no_addon_within(5000 - static_cast<DWORD>(std::min<ULONGLONG>(GetTickCount64() - asked, 5000))));
    std::printf("closed with a stopped add-on: all gone after %llu ms\n", GetTickCount64() - asked);
    ResumeThread(thread);  // should anything be left
    CloseHandle(thread);
}

TEST(Idle, AnIdleHostAndItsAddonsUseAlmostNoProcessor) {
    // Off "Split": Wine polls for the pointer to leave a control, and misses
    // it where the control moves away under it, as panes do at start-up.
    xdotool("mousemove 0 0");
    const std::wstring label = L"idle";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    Sleep(1000);  // let start-up's layout and painting settle
    // The keyboard in a pane's tree (a blinking caret alone costs Wine 10 to
    // 20 ms in 10 s inside "Split", none in an add-on alone).
    POINT tree{100, 300};
    ClientToScreen(host.embedded(2), &tree);
    click_at(tree.x, tree.y);
    Sleep(1000);
    const char* programs[] = {"Tessel", "Cobaltpane", "Emberpane", "Saffronpane"};
    double before[4];
    for (int i = 0; i < 4; ++i) {
        before[i] = program_cpu_ms(label, programs[i]);
        ASSERT_GT(before[i], 0) << programs[i] << ": its start-up was counted";
    }
    // The machine charges whole 10 ms ticks to whoever runs at each: 20 s
    // makes that noise half as large.
    Sleep(20'000);
    for (int i = 0; i < 4; ++i) {
        const double used = (program_cpu_ms(label, programs[i]) - before[i]) / 2;
        std::printf("idle, per 10 s: %-12s %5.1f ms of processor (start-up: %.0f ms)\n", programs[i], used,
                    before[i]);
        EXPECT_LT(used, 20.0) << programs[i];
    }
    EXPECT_EQ(host.close_and_wait(), 0u);
}

}  // namespace
}  // namespace tessel::testing
