#include <gtest/gtest.h>

#include "tests/support/platform_support.h"
#include "toolkit/forms/colors.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

using testing::bin_directory;
using testing::client_rect;
using testing::window_rect;

constexpr unsigned kHostFlags = 0xCD0001;

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (ObjectId n : {0, 1, 5, 7, 40}) close_window(n);
        testing::pump_for(20);
        while (take_event(main_event_queue())) {}
    }
};

TEST_F(WindowTest, TheHostWindowHasAnExactClientAreaCentredWithItsFrame) {
    HWND window = as_window(open_window(0, 0, 0, 800, 600, L"Split", kHostFlags));
    ASSERT_NE(window, nullptr);
    const RECT client = client_rect(window);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    const RECT outer = window_rect(window);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_CLIPCHILDREN);  // the no-activate bit is not a style here
    EXPECT_TRUE(IsWindowVisible(window));
    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    EXPECT_STREQ(title, L"Split");
    wchar_t class_name[32] = {};
    GetClassNameW(window, class_name, 32);
    EXPECT_STREQ(class_name, L"WindowClass_0");
}

TEST_F(WindowTest, FlagsChooseCaptionPopupAndPlacement) {
    HWND plain = as_window(open_window(1, 100, 100, 200, 100, nullptr, 0));
    EXPECT_TRUE(GetWindowLongW(plain, GWL_STYLE) & WS_CAPTION);
    HWND popup = as_window(open_window(5, 1332, 203, 553, 712, L"p", WS_POPUP));
    EXPECT_FALSE(GetWindowLongW(popup, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(window_rect(popup).left, 1332);  // no frame correction for a pop-up
    EXPECT_EQ(window_rect(popup).top, 203);
    EXPECT_EQ(client_rect(popup).right, 553);
    HWND hidden = as_window(open_window(7, 10, 10, 50, 50, L"h", kWindowHidden));
    EXPECT_NE(hidden, nullptr);
    EXPECT_FALSE(IsWindowVisible(hidden));
}

TEST_F(WindowTest, CentringOnAParentWithoutOneLeavesThePlatformsPlacement) {
    for (unsigned flags : {kWindowCentreParent, kWindowCentreParent | kWindowCentreScreen}) {
        HWND window = as_window(open_window(1, 123, 77, 200, 100, L"c", flags));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window_rect(window).left, 123) << flags;
        EXPECT_EQ(window_rect(window).top, 77) << flags;
        // "No position" is left to the platform, never taken as a place;
        // the x given beside it is kept.
        window = as_window(open_window(1, 123, kKeepCurrent, 200, 100, L"c", flags));
        EXPECT_GT(window_rect(window).top, -1000) << flags;
        EXPECT_EQ(window_rect(window).left, 123) << flags;
    }
    // A pop-up with no position goes where the platform puts a window of a
    // program started at 300,200, not at 0,0.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USEPOSITION;
    startup.dwX = 300;
    startup.dwY = 200;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + bin_directory() + L"editor_probe.exe\" placement";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    DWORD place = 0;
    WaitForSingleObject(process.hProcess, 10000);
    GetExitCodeProcess(process.hProcess, &place);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(place, 300u << 16 | 200u);
}

TEST_F(WindowTest, TableGrowsFromSixteenToFiftySixForNumberForty) {
    open_window(5, 0, 0, 10, 10, L"", kWindowHidden);
    EXPECT_EQ(slot_count(*window_table()), 16u);
    open_window(40, 0, 0, 10, 10, L"", kWindowHidden);
    EXPECT_EQ(slot_count(*window_table()), 56u);
}

TEST_F(WindowTest, AllocatedNumbersWorkAndAreDistinct) {
    const std::intptr_t first = open_window(kAllocateNumber, 0, 0, 10, 10, L"", kWindowHidden);
    const std::intptr_t second = open_window(kAllocateNumber, 0, 0, 10, 10, L"", kWindowHidden);
    EXPECT_NE(first, second);
    EXPECT_GE(first, static_cast<std::intptr_t>(slot_count(*window_table())));
    ASSERT_NE(window_handle(first), nullptr);
    EXPECT_EQ(window_number_of(window_handle(first)), first);
    close_window(first);
    close_window(second);
    EXPECT_EQ(window_handle(first), nullptr);
    // Its class goes with it, as does that of one destroyed another way.
    const std::intptr_t third = open_window(kAllocateNumber, 0, 0, 10, 10, L"", kWindowHidden);
    DestroyWindow(window_handle(third));
    open_window(1, 0, 0, 10, 10, L"", kWindowHidden);
    for (std::intptr_t number : {first, third}) {
        WNDCLASSW left{};
        const std::wstring name = L"WindowClass_" + std::to_wstring(number);
        EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), name.c_str(), &left)) << number;
    }
}

TEST_F(WindowTest, ReusingANumberClosesTheOldWindowWithEverythingItHeld) {
    HWND old_window = as_window(open_window(0, 10, 10, 100, 100, L"old", 0));
    set_window_color(0, 0x0000FF);
    HBRUSH old_brush = find_window_record(0)->background_brush;
    HACCEL old_accelerators = find_window_record(0)->accelerator_table;
    ASSERT_NE(old_brush, nullptr);
    ASSERT_NE(old_accelerators, nullptr);
    post_event(gadget_event, 3, 0, 0);

    HWND new_window = as_window(open_window(0, 10, 10, 100, 100, L"new", 0));
    EXPECT_FALSE(IsWindow(old_window));
    EXPECT_TRUE(IsWindow(new_window));
    EXPECT_EQ(GetObjectType(old_brush), 0u);
    EXPECT_EQ(CopyAcceleratorTableW(old_accelerators, nullptr, 0), 0);
    for (const QueuedEvent* e = main_event_queue().head; e; e = e->next)
        EXPECT_NE(e->code, gadget_event) << "an event of the old window is still queued";
    wchar_t class_name[32] = {};
    GetClassNameW(new_window, class_name, 32);
    EXPECT_STREQ(class_name, L"WindowClass_0");
    EXPECT_EQ(find_window_record(0)->background_color, kNoColor);
}

// The background leaves out the children that are shown, not hidden ones.
TEST_F(WindowTest, TheBackgroundLeavesOutShownChildrenOnly) {
    HWND window = as_window(open_window(0, 10, 10, 100, 100, L"fill", 0));
    ASSERT_NE(window, nullptr);
    const auto child = [&](DWORD shown, int x) {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | shown, x, 10, 20, 20, window, nullptr,
                               nullptr, nullptr);
    };
    HWND first = child(WS_VISIBLE, 10);
    child(0, 50);
    child(WS_VISIBLE, 75);
    testing::pump_for(50);
    constexpr COLORREF kRed = RGB(255, 0, 0);
    HBRUSH red = CreateSolidBrush(kRed);
    HDC own = GetDC(window);
    paint_window_background(own, window, red);
    EXPECT_NE(GetPixel(own, 20, 20), kRed);  // the shown child's place: left alone
    EXPECT_EQ(GetPixel(own, 60, 20), kRed);  // the hidden child's: filled
    EXPECT_NE(GetPixel(own, 85, 20), kRed);  // every shown child is mapped
    ReleaseDC(window, own);
    // A child's own DC, or a buffer's, moved to the window's coordinates,
    // as a child asks for what lies behind it: filled whole, its place too.
    HDC child_dc = GetDC(first);
    SetViewportOrgEx(child_dc, -10, -10, nullptr);
    paint_window_background(child_dc, window, red);
    EXPECT_EQ(GetPixel(child_dc, 25, 25), kRed);
    ReleaseDC(first, child_dc);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 20, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC buffer = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(buffer, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    SetViewportOrgEx(buffer, -10, -10, nullptr);
    paint_window_background(buffer, window, red);
    EXPECT_EQ(GetPixel(buffer, 25, 25), kRed);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    DeleteObject(red);
}

TEST_F(WindowTest, NumbersThatNameNoWindowDoNothing) {
    EXPECT_EQ(window_handle(3), nullptr);
    EXPECT_EQ(window_handle(0x7FFF1234), nullptr);
    EXPECT_EQ(window_handle(-7), nullptr);
    close_window(0x7FFF1234);
    close_window(-7);
    set_window_color(0x7FFF1234, 255);
    EXPECT_EQ(open_window(-2, 0, 0, 10, 10, L"", 0), 0);
}

TEST_F(WindowTest, DestroyingAWindowReleasesItsNumberAndQueuedEvents) {
    HWND window = as_window(open_window(1, 0, 0, 50, 50, L"", kWindowHidden));
    post_event(repaint, 0, 1, 0);
    post_event(repaint, 0, 2, 0);
    DestroyWindow(window);
    EXPECT_EQ(window_handle(1), nullptr);
    ASSERT_EQ(queued_event_count(main_event_queue()), 1u);
    EXPECT_EQ(take_event(main_event_queue()), repaint);
    EXPECT_EQ(event_window(), 2);
}

}  // namespace
}  // namespace tessel
