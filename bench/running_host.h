// The real Tessel, started from the build folder and looked at from
// outside, as the host benchmarks measure it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/host_probe.h"

namespace tessel::bench {

using probe::answers;
using probe::captured;
using probe::find_gadget_window;
using probe::kAddonNames;
using probe::Process;
using probe::start_process;

double now_ms();  // a steady clock with sub-millisecond resolution
std::wstring build_folder();  // bin\, holding Tessel.exe and Addon\ .
// A folder laid out like bin\, whose Addon\ holds bare add-ons (the
// add-on's window alone, no gadgets, no menu): made on first call.
std::wstring bare_folder();

// Ends the program if it still runs, and lets go of it.
void end(Process& program);

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
