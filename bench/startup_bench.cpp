// Host start-up: the time from starting Tessel until all three add-on
// windows sit in their panes, against its floor: the host's own window,
// then each add-on's own time, started alone, to its titled window (the
// moment the host's search can find it), plus the host's three 100 ms
// pauses after starting an add-on. Beside it, the add-ons' time to their
// finished windows. Each figure is printed beside the same work with bare
// add-ons.
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

struct Alone {
    double titled = -1;  // its window exists
    double built = -1;   // and its thread answers, which it does only once it is built
};

// One add-on alone, from its start to its titled and its finished window.
Alone addon_alone(const std::wstring& folder, int slot) {
    const wchar_t* title = kAddonNames[slot];
    wait_gone(title);
    Alone times;
    const double started = now_ms();
    Process addon = start_process(folder + L"Addon\\" + title + L".exe", folder);
    if (!addon.handle) return times;
    HWND window = nullptr;
    times.titled = wait_until(started, [&] { return (window = FindWindowW(nullptr, title)) != nullptr; });
    times.built = wait_until(started, [&] { return answers(window, 1000); });
    end(addon);
    wait_gone(title);
    return times;
}

struct HostTimes {
    double main_window = -1;  // "Split" exists
    double captured = -1;     // all three add-ons in their panes
};

HostTimes host_start(const std::wstring& folder) {
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

struct Figures {
    double host = -1, floor = -1, built = -1, own = -1;  // medians, ms
};

Figures measure(const std::wstring& folder) {
    std::vector<double> floors, builds, captured, own_window;
    for (int run = 0; run < kRuns; ++run) {
        double titled = 0, built = 0;
        for (int slot = 1; slot <= 3; ++slot) {
            const Alone alone = addon_alone(folder, slot);
            if (alone.built < 0) return {};
            titled += alone.titled;
            built += alone.built;
        }
        const HostTimes host = host_start(folder);
        if (host.captured < 0) return {};
        floors.push_back(host.main_window + titled + kPauses);
        builds.push_back(built + kPauses);
        captured.push_back(host.captured);
        own_window.push_back(host.main_window);
    }
    return {median(captured), median(floors), median(builds), median(own_window)};
}

void print_row(const char* what, double complete, double bare) {
    std::printf("%-44s %10.1f %10.1f\n", what, complete, bare);
}

}  // namespace

int wmain() {
    timeBeginPeriod(1);
    print_program_sizes();
    const Figures complete = measure(build_folder());
    const Figures bare = measure(bare_folder());
    timeEndPeriod(1);
    if (complete.host < 0 || bare.host < 0) {
        std::printf("a run failed: an add-on or the host did not show its window\n");
        return 1;
    }
    std::printf("host start-up, %d runs (medians, ms)        complete       bare\n", kRuns);
    print_row("Tessel started -> all three captured", complete.host, bare.host);
    print_row("floor: own window + add-ons to titled + 300", complete.floor, bare.floor);
    std::printf("%-44s %10.3f %10.3f\n", "ratio (host / floor)", complete.host / complete.floor,
                bare.host / bare.floor);
    print_row("added per slot", (complete.host - complete.floor) / 3, (bare.host - bare.floor) / 3);
    print_row("  the host's own window, once", complete.own, bare.own);
    print_row("add-ons alone to built windows + 300", complete.built, bare.built);
    return 0;
}
