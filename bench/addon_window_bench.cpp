// The add-on's complete window against a bare window with no gadgets:
// from the process's creation to the window built, each in a fresh process
// (so the first creation of every kind and the rich-edit library load are
// counted), and the build alone repeated in one process.
// Target: the gadgets add under 30 ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "addon/addon_window.h"
#include "toolkit/toolkit.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace {

using namespace tessel;

constexpr int kProcessRuns = 9;
constexpr int kBuilds = 50;
constexpr double kTargetMs = 30.0;

double now_ms() {
    LARGE_INTEGER count{}, frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The system clock at its finest: the precise reading is Windows 8's, so
// it is looked up, and the plain one serves before that.
void read_system_clock(FILETIME& now) {
    using Reader = void(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<Reader>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    if (precise) precise(&now);
    else GetSystemTimeAsFileTime(&now);
}

// Milliseconds since this process was created, on the system clock.
double since_creation_ms() {
    FILETIME created{}, exited{}, kernel{}, user{}, current{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    read_system_clock(current);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(current) - ticks(created)) / 1e4;
}

enum class Build { bare, native, complete };

// The platform's own floor: the same native controls and menu, made
// directly in the bare window, with none of the toolkit's work.
void build_native_controls(HWND window) {
    struct Control {
        const wchar_t* class_name;
        DWORD style, extended;
        int x, y, width, height;
    };
    constexpr Control kControls[] = {
        {L"Static", 0x50020081, 0, 0, 4, 553, 19},        {L"ComboBox", 0x50A20042, 0, 7, 27, 210, 53},
        {L"Button", 0x50030000, 0, 233, 27, 104, 22},     {L"Button", 0x50030000, 0, 352, 27, 72, 22},
        {L"ComboBox", 0x50A20042, 0, 7, 54, 538, 53},     {L"SysTreeView32", 0x50010027, WS_EX_CLIENTEDGE, 7, 79, 538, 501},
        {L"RICHEDIT50W", 0x503111C4, 0, 7, 587, 538, 96},
    };
    LoadLibraryW(L"MSFTEDIT.DLL");
    HFONT font = default_gadget_font();
    for (const Control& c : kControls) {
        HWND control = CreateWindowExW(c.extended, c.class_name, L"", c.style, c.x, c.y, c.width, c.height,
                                       window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    HMENU bar = CreateMenu(), drop_down = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(drop_down), L"Fichiers");
    SetMenu(window, bar);
    AppendMenuW(drop_down, MF_STRING, addon::kOpenSettingsItem, L"Ouvrir fichier parametre");
    SetMenu(window, bar);
}

void build(Build kind) {
    if (kind == Build::complete) {
        addon::build_window(addon::kVariants[0]);
        return;
    }
    open_window(addon::kWindow, addon::kWindowX, addon::kWindowY, addon::kWindowWidth,
                addon::kWindowHeight, addon::kVariants[0].title, WS_POPUP);
    if (kind == Build::native) build_native_controls(window_handle(addon::kWindow));
}

const wchar_t* const kModes[] = {L"--bare", L"--native", L"--complete"};

// Child: start the toolkit, build, report microseconds since creation.
int run_once(Build kind) {
    start_toolkit();
    build(kind);
    const double elapsed = since_creation_ms();
    stop_toolkit();
    return static_cast<int>(elapsed * 1000.0);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double fresh_process_ms(Build kind) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" " + kModes[static_cast<int>(kind)];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return -1;
    WaitForSingleObject(child.hProcess, 30'000);
    DWORD micro = 0;
    GetExitCodeProcess(child.hProcess, &micro);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return micro / 1000.0;
}

double in_process_ms(Build kind) {
    std::vector<double> times;
    for (int i = 0; i < kBuilds; ++i) {
        const double started = now_ms();
        build(kind);
        times.push_back(now_ms() - started);
        close_window(addon::kWindow);
        destroy_all_objects(*font_table());
        while (wait_event(0)) {}
    }
    return median(times);
}

void report(const char* title, double bare, double native, double complete) {
    std::printf("%s\n", title);
    std::printf("  bare window            %8.1f ms   (baseline)\n", bare);
    std::printf("  native controls only   %8.1f ms   ratio %.2f, controls add %.1f ms (the platform's floor)\n",
                native, native / bare, native - bare);
    std::printf("  complete window        %8.1f ms   ratio %.2f, gadgets add %.1f ms (target < %.0f ms),\n"
                "                                      of which the toolkit's own %.1f ms\n",
                complete, complete / bare, complete - bare, kTargetMs, complete - native);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int mode = 0; argc == 2 && mode < 3; ++mode)
        if (std::wcscmp(argv[1], kModes[mode]) == 0) return run_once(static_cast<Build>(mode));
    std::vector<double> runs[3];
    for (int i = 0; i < kProcessRuns; ++i)
        for (int mode = 0; mode < 3; ++mode) runs[mode].push_back(fresh_process_ms(static_cast<Build>(mode)));
    report("add-on start to window, median of fresh processes:", median(runs[0]), median(runs[1]), median(runs[2]));

    start_toolkit();
    build(Build::complete);  // loads libraries and registers classes once
    close_window(addon::kWindow);
    destroy_all_objects(*font_table());
    report("window build alone, median of 50 in one process:", in_process_ms(Build::bare),
           in_process_ms(Build::native), in_process_ms(Build::complete));
    stop_toolkit();
    return 0;
}
