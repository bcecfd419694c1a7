// Host start-up: the time from starting Tessel until all three add-on
// windows sit in their panes, against its floor: the sum of each add-on's
// own time to its window when started alone, plus the host's three 100 ms
// pauses after starting an add-on.
#include <windows.h>
#include <timeapi.h>

#include <cstdio>
#include <vector>

#include "bench/running_host.h"

namespace {

using namespace tessel::bench;

constexpr int kRuns = 7;
constexpr double kPauses = 3 * 100.0;  // ms
constexpr double kGiveUp = 30'000.0;   // ms

template <typename Done>
double wait_until(double started, Done done) {
    while (!done()) {
        if (now_ms() - started > kGiveUp) return -1;
        Sleep(1);
    }
    return now_ms() - started;
}

void wait_gone(const wchar_t* title) {
    const double started = now_ms();
    wait_until(started, [&] { return FindWindowW(nullptr, title) == nullptr; });
}

// One add-on alone, from its start to its titled window.
double addon_alone(int slot) {
    const std::wstring folder = build_folder();
    const wchar_t* title = kAddonNames[slot];
    wait_gone(title);
    const double started = now_ms();
    Process addon = start_process(folder + L"Addon\\" + title + L".exe", folder);
    if (!addon.handle) return -1;
    const double took = wait_until(started, [&] { return FindWindowW(nullptr, title) != nullptr; });
    end(addon);
    wait_gone(title);
    return took;
}

struct HostTimes {
    double main_window = -1;  // "Split" exists
    double captured = -1;     // all three add-ons in their panes
};

HostTimes host_start() {
    const std::wstring folder = build_folder();
    HostTimes times;
    const double started = now_ms();
    Process host = start_process(folder + L"Tessel.exe", folder);
    if (!host.handle) return times;
    HWND main = nullptr;
    times.main_window = wait_until(started, [&] {
        return (main = FindWindowW(L"WindowClass_0", L"Split")) != nullptr;
    });
    if (main) times.captured = wait_until(started, [&] { return captured(main, {1, 2, 3}); });
    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitForSingleObject(host.handle, 10'000);
    end(host);
    for (int slot = 1; slot <= 3; ++slot) wait_gone(kAddonNames[slot]);
    return times;
}

long long file_size(const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What each program weighs on disk, as this build made it.
void print_program_sizes() {
    const std::wstring folder = build_folder();
    std::printf("program sizes\n");
    std::printf("  %-26ls %8lld bytes\n", L"Tessel.exe", file_size(folder + L"Tessel.exe"));
    for (int slot = 1; slot <= 3; ++slot) {
        const std::wstring name = std::wstring(L"Addon\\") + kAddonNames[slot] + L".exe";
        std::printf("  %-26ls %8lld bytes\n", name.c_str(), file_size(folder + name));
    }
}

}  // namespace

int wmain() {
    timeBeginPeriod(1);
    print_program_sizes();
    std::vector<double> floors, captured, own_window;
    for (int run = 0; run < kRuns; ++run) {
        double alone = 0;
        for (int slot = 1; slot <= 3; ++slot) alone += addon_alone(slot);
        const HostTimes host = host_start();
        if (alone < 0 || host.captured < 0) {
            std::printf("run %d failed: an add-on or the host did not show its window\n", run);
            return 1;
        }
        floors.push_back(alone + kPauses);
        captured.push_back(host.captured);
        own_window.push_back(host.main_window);
    }
    const double floor = median(floors), host = median(captured), own = median(own_window);
    std::printf("host start-up, %d runs (medians)\n", kRuns);
    std::printf("Tessel started -> all three captured      %8.1f ms\n", host);
    std::printf("baseline: add-ons alone + 3 x 100 ms      %8.1f ms\n", floor);
    std::printf("ratio (host / baseline)                   %8.3f\n", host / floor);
    std::printf("added per slot                            %8.1f ms  (target <= 5)\n",
                (host - floor) / 3);
    std::printf("  of which the host's own window, once    %8.1f ms  (%.1f ms per slot)\n", own,
                own / 3);
    std::printf("added per slot beyond the host's window   %8.1f ms\n", (host - own - floor) / 3);
    timeEndPeriod(1);
    return 0;
}
