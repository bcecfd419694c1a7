// Text rules of the program runner: the command line it builds, the
// directory it gives the shell, and the directory part of a path.
// Platform-free.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// The file wrapped in double quotes unless it already begins with one, then
// a blank and the parameters when there are any.
std::wstring build_command_line(std::wstring_view file, std::wstring_view parameters);

// For the shell fall-back with no directory given: the file's text up to and
// including its last backslash after the first character; empty if none.
std::wstring shell_directory(std::wstring_view file);

// The directory part of a path with its trailing separator. One leading
// double quote is skipped; the scan stops at the first vertical bar.
std::wstring path_part(std::wstring_view path);

// The module path as reported, without a leading "\\?\" prefix.
std::wstring strip_long_path_prefix(std::wstring_view path);

}  // namespace tessel
