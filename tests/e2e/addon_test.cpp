// Each add-on build run on its own: its window, its gadgets in place, its
// colours on the screen (a screenshot per build is kept beside the tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

struct Build {
    const wchar_t* name;
    COLORREF window;   // as the screen shows it
    COLORREF caption;  // caption text
};
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Child {
    const wchar_t* class_name;
    RECT place;  // in the client area; combo boxes closed
};

// The window as it is built, in creation order.
const Child kChildren[] = {
    {L"Static", {0, 4, 553, 23}},         {L"ComboBox", {7, 27, 217, 50}},
    {L"Button", {233, 27, 337, 49}},      {L"Button", {352, 27, 424, 49}},
    {L"ComboBox", {7, 54, 545, 77}},      {L"SysTreeView32", {7, 79, 545, 580}},
    {L"RICHEDIT50W", {7, 587, 545, 683}},
};

std::vector<HWND> children_of(HWND window) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

class AddonAlone : public ::testing::TestWithParam<Build> {};

TEST_P(AddonAlone, ShowsItsCompleteWindowAtItsPlaceAndEndsWithZeroOnClose) {
    const Build build = GetParam();
    Process addon = start_process(build_addon(build.name));
    ASSERT_NE(addon.handle, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(pump_until([&] { return (window = FindWindowW(nullptr, build.name)); }, 10000));
    // The title is there from the first step; the rest follows, the menu
    // bar last, each of its steps moving the client area. The add-on
    // answers a message only from its event loop, once all of it is built.
    auto built = [&] {
        const std::vector<HWND> children = children_of(window);
        if (children.size() != 7 || !GetMenu(window) || !probe::answers(window, 1000)) return false;
        for (std::size_t i = 0; i < children.size(); ++i)
            if (rect_in(window, children[i]).top != kChildren[i].place.top) return false;
        return true;
    };
    ASSERT_TRUE(pump_until(built, 10000));
    const RECT outer = window_rect(window);
    EXPECT_EQ(outer.left, 1332);
    EXPECT_EQ(outer.top, 203);
    EXPECT_EQ(outer.right - outer.left, 553);
    EXPECT_EQ(outer.bottom - outer.top, 712);  // the menu bar came out of the client area
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));

    const std::vector<HWND> children = children_of(window);
    for (std::size_t i = 0; i < children.size(); ++i) {
        wchar_t name[32] = {};
        GetClassNameW(children[i], name, 32);
        EXPECT_EQ(_wcsicmp(name, kChildren[i].class_name), 0) << "gadget " << i + 1 << ": " << narrow(name);
        EXPECT_EQ(GetWindowLongPtrW(children[i], GWLP_ID), static_cast<LONG_PTR>(i + 1));
        const RECT place = rect_in(window, children[i]);
        EXPECT_EQ(place.left, kChildren[i].place.left) << "gadget " << i + 1;
        EXPECT_EQ(place.top, kChildren[i].place.top) << "gadget " << i + 1;
        EXPECT_EQ(place.right, kChildren[i].place.right) << "gadget " << i + 1;
        EXPECT_EQ(place.bottom, kChildren[i].place.bottom) << "gadget " << i + 1;
    }

    // Its own texts, read back from the running add-on.
    auto text_of = [](HWND control) {
        wchar_t text[64] = {};
        GetWindowTextW(control, text, 64);
        return std::wstring(text);
    };
    EXPECT_EQ(text_of(children[0]), L"This is an external embeded application");
    EXPECT_EQ(text_of(children[2]), L"D\u00e9connection");
    EXPECT_EQ(text_of(children[3]), L"Rafraichir");
    // (Wine keeps menus to their process: the menu's texts are read where
    // the window is built in the test's own process.)

    const std::string keep = narrow(unix_path(bin_directory())) + "addon-" + narrow(build.name) + ".png";
    POINT client{0, 0};
    ClientToScreen(window, &client);
    auto at = [&](int x, int y) { return POINT{client.x + x, client.y + y}; };
    const RECT caption{client.x + 150, client.y + 4, client.x + 400, client.y + 23};
    // Painted once the tree's white shows; then every colour is checked.
    Screenshot shot;
    EXPECT_TRUE(pump_until([&] {
        shot = Screenshot::take(keep);
        return shot.at(at(276, 300).x, at(276, 300).y) == kWhite;  // the empty tree
    }, 5000));
    EXPECT_EQ(shot.at(at(3, 300).x, at(3, 300).y), build.window);      // left of the tree
    EXPECT_EQ(shot.at(at(276, 583).x, at(276, 583).y), build.window);  // between tree and editor
    EXPECT_EQ(shot.at(at(2, 12).x, at(2, 12).y), build.window);        // caption background
    EXPECT_GT(shot.count(caption, build.caption), 5);                  // caption text
    EXPECT_LT(at(0, 0).y, outer.top + 40);  // a bar, not a second window
    EXPECT_GT(at(0, 0).y, outer.top);

    // Other input changes nothing; only a close request ends it.
    PostMessageW(window, WM_LBUTTONUP, 0, 0);
    PostMessageW(window, WM_COMMAND, 16, 0);
    PostMessageW(children[2], BM_CLICK, 0, 0);
    Sleep(200);
    EXPECT_FALSE(has_ended(addon));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(addon), 0u);
    CloseHandle(addon.handle);
}

INSTANTIATE_TEST_SUITE_P(Builds, AddonAlone,
                         ::testing::Values(Build{L"Emberpane", RGB(255, 0, 0), kWhite},
                                           Build{L"Cobaltpane", RGB(0, 0, 255), kWhite},
                                           Build{L"Saffronpane", RGB(255, 255, 0), RGB(0, 0, 0)}),
                         [](const auto& test) { return narrow(test.param.name); });

}  // namespace
}  // namespace tessel::testing
