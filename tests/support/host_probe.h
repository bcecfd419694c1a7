// Looks at a running Tessel from outside, through the platform only: the
// processes it runs as and the windows it shows. Shared by the end-to-end
// tests and the host benchmarks, so it needs no test framework.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace tessel::probe {

// By slot: the add-ons' file names, which are also their window titles.
constexpr const wchar_t* kAddonNames[] = {L"", L"Cobaltpane", L"Emberpane", L"Saffronpane"};

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};
// Starts `file` (quoted) with no parameters; an empty directory keeps ours.
Process start_process(const std::wstring& file, const std::wstring& directory = L"");

// A window of a toolkit class with the given control identifier, anywhere
// under `top`; none for no `top`.
HWND find_gadget_window(HWND top, const wchar_t* class_name, int id);
HWND pane(HWND main, int slot);      // container gadget `slot`, wherever it sits
HWND embedded(HWND main, int slot);  // the add-on window re-parented into it
// Every slot's add-on window is a child of its own container.
bool captured(HWND main, std::initializer_list<int> slots);
// The window's thread answers a message within the time: it is pumping
// (an add-on does so only from its event loop, once its window is built).
bool answers(HWND window, DWORD timeout_ms);
// Polls until the predicate holds or the time runs out; true if it held.
bool wait_for(const std::function<bool()>& done, DWORD timeout_ms);

// Runs a command of the machine under Wine (/bin/sh -c), waiting for it.
int run_unix(const std::string& command);
// Runs it and hands back what it printed.
std::string unix_output(const std::string& command);
// Starts it and returns at once, for input that a modal loop inside our
// own pump must receive.
void run_unix_detached(const std::string& command);

}  // namespace tessel::probe
