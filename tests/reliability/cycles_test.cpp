// Many open/close cycles of the toolkit's objects, and many start/kill/
// close cycles of the runner, leave nothing behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "tests/support/platform_support.h"
#include "toolkit/forms/button.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/forms/menus.h"
#include "toolkit/forms/text.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/gadgets/splitter.h"
#include "toolkit/process/program_runner.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel::testing {
namespace {

// The system's counts, and the value a fresh kernel handle gets: the
// platform hands out the lowest free slot, so a leak makes it climb even
// where (as on Wine) the counts read 0.
struct Watermark {
    DWORD gdi, user, handles;
    std::uintptr_t next_handle;
};

Watermark watermark() {
    HANDLE self = GetCurrentProcess();
    Watermark w{GetGuiResources(self, GR_GDIOBJECTS), GetGuiResources(self, GR_USEROBJECTS), 0, 0};
    GetProcessHandleCount(self, &w.handles);
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    w.next_handle = reinterpret_cast<std::uintptr_t>(probe);
    CloseHandle(probe);
    return w;
}

void expect_no_growth(const char* what, const Watermark& before, const Watermark& after) {
    std::printf("%s: GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu, next handle %#llx -> %#llx\n", what,
                before.gdi, after.gdi, before.user, after.user, before.handles, after.handles,
                static_cast<unsigned long long>(before.next_handle),
                static_cast<unsigned long long>(after.next_handle));
    constexpr DWORD kSlack = 4;
    EXPECT_LE(after.gdi, before.gdi + kSlack) << what;
    EXPECT_LE(after.user, before.user + kSlack) << what;
    EXPECT_LE(after.handles, before.handles + kSlack) << what;
    EXPECT_LE(after.next_handle, before.next_handle + 4 * kSlack) << what;  // handles step by 4
}

class Cycles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { start_toolkit(); }
    static void TearDownTestSuite() { stop_toolkit(); }
};

// A window with a coloured container, a splitter over two gadgets, a
// coloured caption and a button.
void open_and_close() {
    open_window(0, 40, 40, 300, 200, L"Cycle", WS_POPUP);
    set_window_color(0, 0x00FF00);
    create_container(1, 0, 0, 100, 100);
    close_gadget_list();
    set_gadget_color(1, kColorBack, 0x123456);
    create_text(2, 0, 0, 100, 20, L"caption");
    set_gadget_color(2, kColorBack, 0x654321);
    create_splitter(3, 0, 0, 300, 200, 1, 2, kSplitSideBySide);
    create_button(4, 0, 0, 50, 20, L"button");
    close_window(0);
}

// A few hundred cycles show one object lost per cycle far above the slack.
TEST_F(Cycles, HundredsOfWindowsWithGadgetsLeaveNothingBehind) {
    open_and_close();  // classes and first-use state
    pump_for(10);
    const Watermark before = watermark();
    const std::size_t brushes = brush_cache_entries();
    for (int i = 0; i < 300; ++i) {
        open_and_close();
        if (i % 50 == 0) pump_for(0);
    }
    pump_for(10);
    expect_no_growth("300 windows", before, watermark());
    EXPECT_EQ(brush_cache_entries(), brushes);
    EXPECT_EQ(window_handle(0), nullptr);
    EXPECT_EQ(gadget_handle(1), nullptr);
    EXPECT_EQ(queued_event_count(main_event_queue()), 0u);
}

TEST_F(Cycles, HundredsOfProgramsStartedKilledAndClosedLeaveNoHandle) {
    const std::wstring probe = bin_directory() + L"probe_child.exe";
    auto cycle = [&] {
        const ProgramHandle program = start_program(probe.c_str(), L"--sleep 10000", nullptr, kStartKeepOpen | kStartHidden);
        ASSERT_GT(program, kProgramNotKept);
        HANDLE process = program_record(program)->process;
        EXPECT_EQ(kill_program(program), 1);
        WaitForSingleObject(process, 5000);
        close_program(program);
    };
    cycle();
    const Watermark before = watermark();
    for (int i = 0; i < 100; ++i) cycle();
    expect_no_growth("100 programs", before, watermark());
    EXPECT_EQ(program_count(), 0u);
}

TEST_F(Cycles, NumbersFarOutsideEveryTableAndNegativeSizesAreHarmless) {
    open_window(0, 40, 40, 300, 200, L"Bad input", WS_POPUP);
    create_button(1, 0, 0, 50, 20, L"b");
    for (const ObjectId stray : {ObjectId{INTPTR_MAX}, ObjectId{INTPTR_MIN}, ObjectId{-2}, ObjectId{1} << 40}) {
        resize_gadget(stray, 0, 0, 10, 10);
        EXPECT_EQ(gadget_width(stray), 0);
        set_gadget_state(stray, 1);
        set_gadget_text(stray, L"x");
        EXPECT_EQ(gadget_text(stray), L"");
        EXPECT_EQ(add_gadget_item(stray, 0, L"x"), 0);
        EXPECT_EQ(count_gadget_items(stray), 0);
        set_gadget_color(stray, kColorBack, 0);
        set_gadget_font(stray, kDefaultGadgetFont);
        set_window_color(stray, 0);
        close_window(stray);
        EXPECT_EQ(window_handle(stray), nullptr);
        EXPECT_EQ(font_handle(stray), nullptr);
        EXPECT_EQ(menu_handle(stray), nullptr);
        EXPECT_EQ(create_splitter(5, 0, 0, 10, 10, stray, 1, 0), 0);
    }
    resize_gadget(1, -20, -20, -50, -50);
    EXPECT_EQ(gadget_width(1), 0);  // the platform gives a negative size no pixels
    resize_gadget(1, 0, 0, 32767, 32767);
    EXPECT_EQ(gadget_width(1), 32767);
    EXPECT_NE(gadget_handle(1), nullptr);
    close_window(0);
}

}  // namespace
}  // namespace tessel::testing
