// The real Tessel, started from the build folder and looked at from
// outside, as the host benchmarks measure it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessel::bench {

constexpr const wchar_t* kAddonTitles[] = {L"", L"Cobaltpane", L"Emberpane", L"Saffronpane"};

double now_ms();  // a steady clock with sub-millisecond resolution
std::wstring build_folder();  // bin\, holding Tessel.exe and Addon\ .

struct Started {
    HANDLE process = nullptr;
    bool ok() const { return process != nullptr; }
};
Started start(const std::wstring& file, const std::wstring& directory);
void end(Started& program);  // terminates and waits

// A window of a toolkit class with the given control identifier, anywhere
// under `top`.
HWND find_gadget_window(HWND top, const wchar_t* class_name, int id);
HWND pane(HWND main, int slot);
HWND embedded(HWND main, int slot);
bool all_captured(HWND main);

// The windows of a running host, looked up once so that polling them
// costs no enumeration.
struct HostWindows {
    HWND main = nullptr;
    HWND panes[4] = {};
    HWND embedded[4] = {};
};
HostWindows host_windows(HWND main);
SIZE client_size(HWND window);
SIZE window_size(HWND window);
// Every embedded window has its container's size.
bool all_fill_their_panes(const HostWindows& host);

double median(std::vector<double> values);
double worst(const std::vector<double>& values);

}  // namespace tessel::bench
