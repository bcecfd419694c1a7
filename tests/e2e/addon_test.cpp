// Each add-on build run on its own.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

struct Build {
    const wchar_t* name;
    const char* colour;  // as the screen shows it, #RRGGBB
};

class AddonAlone : public ::testing::TestWithParam<Build> {};

std::string pixel_at(int x, int y, const std::string& screenshot) {
    const std::string text = "/tmp/tessel-pixel-" + std::to_string(GetCurrentProcessId());
    run_unix("import -window root " + screenshot + " && convert " + screenshot + " -crop 1x1+" +
             std::to_string(x) + "+" + std::to_string(y) + " txt:- > " + text);
    std::wstring line;
    const std::wstring file = L"Z:" + std::wstring(text.begin(), text.end());
    if (FILE* in = _wfopen(file.c_str(), L"r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, in)) {
            const std::string row = buffer;
            const std::size_t hash = row.find('#');
            if (row.rfind("0,0:", 0) == 0 && hash != std::string::npos) {
                std::fclose(in);
                DeleteFileW(file.c_str());
                return row.substr(hash, 7);
            }
        }
        std::fclose(in);
    }
    return "";
}

TEST_P(AddonAlone, ShowsItsColouredPopupAtItsPlaceAndEndsWithZeroOnClose) {
    const Build build = GetParam();
    Process addon = start_process(build_addon(build.name));
    ASSERT_NE(addon.handle, nullptr);
    HWND window = nullptr;
    ASSERT_TRUE(pump_until([&] { return (window = FindWindowW(nullptr, build.name)); }, 10000));
    const RECT outer = window_rect(window);
    EXPECT_EQ(outer.left, 1332);
    EXPECT_EQ(outer.top, 203);
    EXPECT_EQ(outer.right - outer.left, 553);
    EXPECT_EQ(outer.bottom - outer.top, 712);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));

    Sleep(400);  // let it paint
    std::wstring folder = unix_path(bin_directory());
    const std::string screenshot = std::string(folder.begin(), folder.end()) + "addon-" +
                                   std::string(build.name, build.name + wcslen(build.name)) + ".png";
    EXPECT_EQ(pixel_at(1332 + 276, 203 + 400, screenshot), build.colour);

    // Other input changes nothing; only a close request ends it.
    PostMessageW(window, WM_LBUTTONUP, 0, 0);
    PostMessageW(window, WM_COMMAND, 16, 0);
    Sleep(200);
    EXPECT_FALSE(has_ended(addon));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(addon), 0u);
    CloseHandle(addon.handle);
}

INSTANTIATE_TEST_SUITE_P(Builds, AddonAlone,
                         ::testing::Values(Build{L"Emberpane", "#FF0000"},
                                           Build{L"Cobaltpane", "#0000FF"},
                                           Build{L"Saffronpane", "#FFFF00"}),
                         [](const auto& info) {
                             const std::wstring name = info.param.name;
                             return std::string(name.begin(), name.end());
                         });

}  // namespace
}  // namespace tessel::testing
