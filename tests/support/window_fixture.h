// A test with toolkit window 0 open at a known place, its queue drained
// before and after.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/platform_support.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel::testing {

class WindowTest : public ::testing::Test {
protected:
    static constexpr int kLeft = 60, kTop = 60;
    void SetUp() override {
        window = as_window(open_window(0, kLeft, kTop, 600, 500, L"Forms", WS_POPUP));
        pump_for(30);
        drain();
    }
    void TearDown() override {
        close_window(0);
        pump_for(10);
        drain();
    }
    static void drain() {
        while (take_event(main_event_queue())) {}
    }
    // Screen point of a gadget's centre.
    static POINT centre_of(HWND control) {
        const RECT r = window_rect(control);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    static int events_for(const std::vector<SeenEvent>& events, int code, std::intptr_t object,
                          std::intptr_t type) {
        int n = 0;
        for (const SeenEvent& e : events) n += e.code == code && e.object == object && e.type == type;
        return n;
    }
    HWND window = nullptr;
};

}  // namespace tessel::testing
