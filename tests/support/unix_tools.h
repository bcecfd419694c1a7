// Tests that drive or read the X display through the machine's own tools
// (xdotool, ImageMagick's import, pkill, /proc, bash) run only under Wine;
// on Windows they are left out, and show as skipped with the reason.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace tessel::testing {

inline bool under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

constexpr const char* kNeedUnixTools =
    "HostLayout.*:HighDpi.*:*AddonAlone*:KilledAddon.*:Idle.*:"
    "EventPumpTest.AClickOnTheCloseBox*:EventPumpTest.ShiftTab*:FormTest.AClick*:"
    "FormTest.AComboBox*:FormTest.OnlyEditable*:FormTest.AMenuBar*:TreeTest.Hundreds*:"
    "TreeTest.AClick*:EditorLibraries.*";
constexpr const char* kUnixToolsReason =
    "needs the X display's tools under Wine (xdotool, ImageMagick, pkill)";

// Stands in the results, as skipped, for one group of tests left out.
class LeftOutGroup : public ::testing::Test {
public:
    explicit LeftOutGroup(std::string group) : group_(std::move(group)) {}
    void TestBody() override { GTEST_SKIP() << group_ << " " << kUnixToolsReason; }

private:
    std::string group_;
};

// Whether `text` matches `pattern`, in which '*' stands for any run.
inline bool matches(const char* pattern, const char* text) {
    if (*pattern == '*') return matches(pattern + 1, text) || (*text && matches(pattern, text + 1));
    return *pattern ? *pattern == *text && matches(pattern + 1, text + 1) : !*text;
}

// Whether this program holds a test of the group.
inline bool holds_group(const std::string& group) {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s)
        for (int t = 0; t < unit.GetTestSuite(s)->total_test_count(); ++t) {
            const std::string name = std::string(unit.GetTestSuite(s)->name()) + "." +
                                     unit.GetTestSuite(s)->GetTestInfo(t)->name();
            if (matches(group.c_str(), name.c_str())) return true;
        }
    return false;
}

inline void leave_out_unix_tool_tests() {
    if (under_wine()) return;
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    GTEST_FLAG_SET(filter, filter + kNeedUnixTools);
    // Each group left out still shows, as skipped, with the reason; the
    // stand-ins are numbered, so that no pattern above matches them.
    const std::string groups = kNeedUnixTools;
    int index = 0;
    for (std::size_t start = 0; start <= groups.size(); ++index) {
        const std::size_t end = std::min(groups.find(':', start), groups.size());
        const std::string group = groups.substr(start, end - start);
        start = end + 1;
        if (!holds_group(group)) continue;
        const std::string name = "Group" + std::to_string(index);
        ::testing::RegisterTest("LeftOutOnWindows", name.c_str(), nullptr, group.c_str(), __FILE__, __LINE__,
                                [group]() -> ::testing::Test* { return new LeftOutGroup(group); });
    }
}

}  // namespace tessel::testing
