#include "tests/support/file_open.h"
#include "tests/support/host_support.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/platform_support.h"

namespace tessel::testing {
using probe::wait_for;

std::wstring build_addon(const wchar_t* name) {
    return bin_directory() + L"..\\Addon\\" + name + L".exe";
}

std::wstring fake_addon(const wchar_t* mode) {
    return bin_directory() + L"fake_addon_" + mode + L".exe";
}

std::wstring prepare_host(const std::wstring& label, const std::map<int, std::wstring>& replaced) {
    const std::wstring directory = fresh_directory(label);
    copy_file(bin_directory() + L"..\\Tessel.exe", directory + L"Tessel.exe");
    CreateDirectoryW((directory + L"Addon").c_str(), nullptr);
    for (int slot = 1; slot <= 3; ++slot) {
        const auto it = replaced.find(slot);
        const std::wstring source = it == replaced.end() ? build_addon(kAddonNames[slot]) : it->second;
        if (!source.empty())
            copy_file(source, directory + L"Addon\\" + kAddonNames[slot] + L".exe");
    }
    return directory;
}

Process process_of_window(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE handle = id ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, id) : nullptr;
    return {handle, id};
}

DWORD wait_exit(const Process& process, DWORD timeout_ms) {
    if (!process.handle) return STILL_ACTIVE;
    if (WaitForSingleObject(process.handle, timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.handle, &code);
    return code;
}

bool has_ended(const Process& process) {
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0;
}

FILETIME started_at(const Process& process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(process.handle, &created, &exited, &kernel, &user);
    return created;
}

double seconds_between(const FILETIME& earlier, const FILETIME& later) {
    auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(later) - ticks(earlier)) / 1e7;
}

HostRun::~HostRun() {
    if (process_.handle && !has_ended(process_)) {
        TerminateProcess(process_.handle, 1);
        WaitForSingleObject(process_.handle, 5000);
    }
    // Leave no add-on behind for the next test.
    for (int slot = 1; slot <= 3; ++slot)
        for (const wchar_t* suffix : {L"", L"-other"})
            if (HWND window = FindWindowW(nullptr, (std::wstring(kAddonNames[slot]) + suffix).c_str())) {
                Process addon = process_of_window(window);
                if (addon.handle) TerminateProcess(addon.handle, 1), CloseHandle(addon.handle);
            }
    if (process_.handle) CloseHandle(process_.handle);
}

bool HostRun::start(const std::wstring& current_directory) {
    process_ = start_process(directory_ + L"Tessel.exe", current_directory);
    return process_.handle != nullptr;
}

HWND HostRun::main_window(DWORD timeout_ms) {
    // Shown, so also placed: the window exists before it is centred.
    if (!main_) wait_for([&] {
        HWND found = FindWindowW(L"WindowClass_0", L"Split");
        if (found && IsWindowVisible(found)) main_ = found;
        return main_ != nullptr || has_ended(process_);
    }, timeout_ms);
    return main_;
}

HWND HostRun::pane(int slot) { return probe::pane(main_window(), slot); }

HWND HostRun::embedded(int slot) { return probe::embedded(main_window(), slot); }

bool HostRun::wait_captured(std::initializer_list<int> slots, DWORD timeout_ms) {
    // The last capture comes just before the splitters: until the outer one
    // exists, the host is still starting and a resize changes no pane.
    return wait_for([&] {
        return probe::captured(main_window(), slots) &&
               probe::find_gadget_window(main_window(), L"VaneSplitter", 5);
    }, timeout_ms);
}

void HostRun::resize_client(int width, int height) {
    HWND window = main_window();
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

bool HostRun::responsive(DWORD timeout_ms) { return probe::answers(main_window(), timeout_ms); }

POINT HostRun::client_origin() {
    POINT origin{0, 0};
    ClientToScreen(main_window(), &origin);
    return origin;
}

DWORD HostRun::close_and_wait(DWORD timeout_ms) {
    PostMessageW(main_window(), WM_CLOSE, 0, 0);
    return wait_exit(process_, timeout_ms);
}

std::wstring read_line(const std::wstring& file, int index) {
    std::wstring line;
    if (FILE* in = open_file(file.c_str(), L"r, ccs=UTF-8")) {
        wchar_t buffer[512];
        for (int i = 0; i <= index && std::fgetws(buffer, 512, in); ++i)
            if (i == index) line = buffer;
        std::fclose(in);
    }
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
    return line;
}

}  // namespace tessel::testing

namespace tessel::testing {

namespace {

// Matches the Wine process of one program of the host prepared under
// `label`; the bracket keeps it from matching the shell that runs it.
std::string process_pattern(const std::wstring& label, const char* program) {
    const std::string name(program);
    const bool host = name == "Tessel";
    return "tessel-" + narrow(label) + "-" + std::to_string(GetCurrentProcessId()) +
           (host ? "." : ".Addon.") + "[" + name.substr(0, 1) + "]" + name.substr(1) + ".exe";
}

}  // namespace

void signal_addon(const std::wstring& label, const char* addon, const char* signal) {
    run_unix("pkill -" + std::string(signal) + " -f '" + process_pattern(label, addon) + "'");
}

double program_cpu_ms(const std::wstring& label, const char* program) {
    // utime and stime, fields 14 and 15, in ticks of 1/100 s.
    const std::string ticks = unix_output("for p in $(pgrep -f '" + process_pattern(label, program) +
                                          "'); do awk '{print $14 + $15}' /proc/$p/stat; done");
    return ticks.empty() ? -1 : 10.0 * std::atof(ticks.c_str());
}

int addon_process_count() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        for (int slot = 1; slot <= 3; ++slot)
            count += _wcsicmp(entry.szExeFile, (std::wstring(kAddonNames[slot]) + L".exe").c_str()) == 0;
    CloseHandle(snapshot);
    return count;
}

}  // namespace tessel::testing
