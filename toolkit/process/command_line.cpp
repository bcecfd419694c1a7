#include "toolkit/process/command_line.h"

namespace tessel {

std::wstring build_command_line(std::wstring_view file, std::wstring_view parameters) {
    std::wstring line;
    line.reserve(file.size() + parameters.size() + 4);
    if (!file.empty() && file.front() == L'"') {
        line.append(file);
    } else {
        line.push_back(L'"');
        line.append(file);
        line.push_back(L'"');
    }
    if (!parameters.empty()) {
        line.push_back(L' ');
        line.append(parameters);
    }
    return line;
}

std::wstring shell_directory(std::wstring_view file) {
    for (std::size_t i = file.size(); i > 1; --i)
        if (file[i - 1] == L'\\') return std::wstring(file.substr(0, i));
    return {};
}

std::wstring path_part(std::wstring_view path) {
    if (!path.empty() && path.front() == L'"') path.remove_prefix(1);
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size() && path[i] != L'|'; ++i)
        if (path[i] == L'\\' || path[i] == L'/') end = i + 1;
    return std::wstring(path.substr(0, end));
}

std::wstring strip_long_path_prefix(std::wstring_view path) {
    constexpr std::wstring_view prefix = L"\\\\?\\";
    if (path.substr(0, prefix.size()) == prefix) path.remove_prefix(prefix.size());
    return std::wstring(path);
}

}  // namespace tessel
