// The pane layout of the running host and its propagation to the add-ons.
#include <gtest/gtest.h>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

struct Box {
    int x, y, width, height;
};

Box in_client(HWND main, HWND window) {
    const RECT r = rect_in(main, window);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void expect_pane(HostRun& host, int slot, Box want) {
    const Box got = in_client(host.main_window(), host.pane(slot));
    EXPECT_EQ(got.x, want.x) << "pane " << slot;
    EXPECT_EQ(got.y, want.y) << "pane " << slot;
    EXPECT_EQ(got.width, want.width) << "pane " << slot;
    EXPECT_EQ(got.height, want.height) << "pane " << slot;
}

bool embedded_fills_pane(HostRun& host, int slot) {
    const RECT pane = client_rect(host.pane(slot));
    const RECT inside = rect_in(host.pane(slot), host.embedded(slot));
    return inside.left == 0 && inside.top == 0 && inside.right == pane.right &&
           inside.bottom == pane.bottom;
}

TEST(HostLayout, PanesStartInTheirProportionsAndFollowAResize) {
    HostRun host(prepare_host(L"layout"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(pump_until([&] { return client_rect(host.pane(3)).right == 800; }, 5000));
    expect_pane(host, 1, {0, 0, 563, 500});
    expect_pane(host, 2, {570, 0, 230, 500});
    expect_pane(host, 3, {0, 507, 800, 93});
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_TRUE(pump_until([&] { return embedded_fills_pane(host, slot); }, 3000)) << slot;

    host.resize_client(1000, 700);
    ASSERT_TRUE(pump_until([&] { return client_rect(host.pane(3)).right == 1000; }, 3000));
    expect_pane(host, 1, {0, 0, 705, 585});
    expect_pane(host, 2, {712, 0, 288, 585});
    expect_pane(host, 3, {0, 592, 1000, 108});
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_TRUE(pump_until([&] { return embedded_fills_pane(host, slot); }, 3000)) << slot;
    EXPECT_EQ(host.close_and_wait(), 0u);
}

}  // namespace
}  // namespace tessel::testing
