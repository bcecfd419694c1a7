#include "toolkit/process/command_line.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(CommandLine, WrapsUnquotedFilesAndKeepsQuotedOnesAsTheyAre) {
    EXPECT_EQ(build_command_line(L"C:\\Program Files\\a.exe", L""),
              L"\"C:\\Program Files\\a.exe\"");
    EXPECT_EQ(build_command_line(L"\"C:\\x y\\a.exe\" -v", L""), L"\"C:\\x y\\a.exe\" -v");
    EXPECT_EQ(build_command_line(L"", L""), L"\"\"");
}

TEST(CommandLine, ParametersFollowABlankOnlyWhenPresent) {
    EXPECT_EQ(build_command_line(L"a.exe", L"one two"), L"\"a.exe\" one two");
    EXPECT_EQ(build_command_line(L"a.exe", L""), L"\"a.exe\"");
}

TEST(ShellDirectory, IsTheTextUpToTheLastBackslashAfterTheFirstCharacter) {
    EXPECT_EQ(shell_directory(L"C:\\tools\\bin\\run.exe"), L"C:\\tools\\bin\\");
    EXPECT_EQ(shell_directory(L"run.exe"), L"");
    EXPECT_EQ(shell_directory(L"\\run.exe"), L"");  // the first character is not looked at
    EXPECT_EQ(shell_directory(L""), L"");
}

TEST(PathPart, KeepsTheDirectoryWithItsSeparator) {
    EXPECT_EQ(path_part(L"C:\\Tessel\\Tessel.exe"), L"C:\\Tessel\\");
    EXPECT_EQ(path_part(L"/usr/lib/x"), L"/usr/lib/");
    EXPECT_EQ(path_part(L"Tessel.exe"), L"");
    EXPECT_EQ(path_part(L""), L"");
}

TEST(PathPart, DropsAnOpeningQuoteAndStopsAtAVerticalBar) {
    EXPECT_EQ(path_part(L"\"C:\\My Apps\\a.exe\""), L"C:\\My Apps\\");
    EXPECT_EQ(path_part(L"a|b\\c\\d"), L"");
    EXPECT_EQ(path_part(L"C:\\a\\b|c\\d"), L"C:\\a\\");
}

TEST(LongPathPrefix, IsRemovedOnlyAtTheStart) {
    EXPECT_EQ(strip_long_path_prefix(L"\\\\?\\C:\\a.exe"), L"C:\\a.exe");
    EXPECT_EQ(strip_long_path_prefix(L"C:\\\\?\\a"), L"C:\\\\?\\a");
}

}  // namespace
}  // namespace tessel
