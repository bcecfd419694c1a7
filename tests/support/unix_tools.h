// Tests that drive or read the X display through the machine's own tools
// (xdotool, ImageMagick's import, pkill, /proc, bash) run only under Wine;
// on Windows they are left out, with the reason said once.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tessel::testing {

inline bool under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline void leave_out_unix_tool_tests() {
    if (under_wine()) return;
    constexpr const char* kNeedUnixTools =
        "HostLayout.*:HighDpi.*:*AddonAlone*:KilledAddon.*:StoppedAddon.*:Idle.*:"
        "EventPumpTest.AClickOnTheCloseBox*:EventPumpTest.ShiftTab*:FormTest.AClick*:"
        "FormTest.AComboBox*:FormTest.OnlyEditable*:FormTest.AMenuBar*:TreeTest.Hundreds*:"
        "TreeTest.AClick*:EditorLibraries.*";
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    GTEST_FLAG_SET(filter, filter + kNeedUnixTools);
    std::printf("Skipped, needing the X display's tools under Wine (xdotool, ImageMagick, pkill): %s\n",
                kNeedUnixTools);
}

}  // namespace tessel::testing
