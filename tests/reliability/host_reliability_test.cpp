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

TEST(StoppedAddon, ClosingWhileAnAddonIsStoppedEndsEverythingWithinFiveSeconds) {
    const std::wstring label = L"stopped-close";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    signal_addon(label, "Emberpane", "STOP");
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
