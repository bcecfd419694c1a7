// Runs the real Tessel, from a directory of its own, and looks at what it
// shows through the platform.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "tests/support/host_probe.h"

namespace tessel::testing {

using probe::kAddonNames;
using probe::Process;
using probe::start_process;

// A directory holding Tessel.exe and an Addon folder. Each slot gets the
// real add-on unless `replaced` names another executable for it (empty:
// left out).
std::wstring prepare_host(const std::wstring& label,
                          const std::map<int, std::wstring>& replaced = {});
std::wstring fake_addon(const wchar_t* mode);  // path of fake_addon_<mode>.exe
std::wstring build_addon(const wchar_t* name);  // path of the built add-on

Process process_of_window(HWND window);
DWORD wait_exit(const Process& process, DWORD timeout_ms = 15000);  // STILL_ACTIVE on time-out
bool has_ended(const Process& process);
FILETIME started_at(const Process& process);
double seconds_between(const FILETIME& earlier, const FILETIME& later);

class HostRun {
public:
    explicit HostRun(std::wstring directory) : directory_(std::move(directory)) {}
    ~HostRun();
    HostRun(const HostRun&) = delete;
    HostRun& operator=(const HostRun&) = delete;

    bool start(const std::wstring& current_directory = L"");
    HWND main_window(DWORD timeout_ms = 10000);
    HWND pane(int slot);      // container gadget `slot`, wherever it sits
    HWND embedded(int slot);  // the add-on window re-parented into it
    // The slots' add-ons are in their panes and the layout is built.
    bool wait_captured(std::initializer_list<int> slots, DWORD timeout_ms = 20000);
    // Asks for a client area of "Split" without waiting on the host, so
    // that a host that hangs cannot hang the test; the caller waits for
    // what it expects.
    void resize_client(int width, int height);
    // The host answers a message within the time.
    bool responsive(DWORD timeout_ms = 5000);
    POINT client_origin();  // on the screen
    DWORD close_and_wait(DWORD timeout_ms = 15000);  // STILL_ACTIVE on time-out
    const Process& process() const { return process_; }
    const std::wstring& directory() const { return directory_; }

private:
    std::wstring directory_;
    Process process_;
    HWND main_ = nullptr;
};

std::wstring read_line(const std::wstring& file, int index = 0);  // counted from 0

// Stops ("STOP") or resumes ("CONT") the Wine process of one add-on of the
// host prepared under `label` by this test program.
void signal_addon(const std::wstring& label, const char* addon, const char* signal);
// Processor time the machine counted for the Wine process of `program`
// ("Tessel" or an add-on's name) of that host, in milliseconds (10 ms
// steps); -1 when it is not running. Wine reports no times of other
// processes, so the machine's own accounting is read.
double program_cpu_ms(const std::wstring& label, const char* program);
// Processes of the add-ons' executables, whoever started them.
int addon_process_count();

}  // namespace tessel::testing
