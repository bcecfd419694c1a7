#include "bench/running_host.h"

#include <algorithm>

namespace tessel::bench {

double now_ms() {
    static const double per_ms = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / per_ms;
}

std::wstring build_folder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\'));          // ...\bin\bench
    folder.resize(folder.find_last_of(L'\\') + 1);      // ...\bin\ .
    return folder;
}

std::wstring bare_folder() {
    const std::wstring folder = build_folder() + L"bench\\bare\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"Addon").c_str(), nullptr);
    CopyFileW((build_folder() + L"Tessel.exe").c_str(), (folder + L"Tessel.exe").c_str(), FALSE);
    const std::wstring bare = build_folder() + L"bench\\bare_addon.exe";
    for (int slot = 1; slot <= 3; ++slot)
        CopyFileW(bare.c_str(), (folder + L"Addon\\" + kAddonNames[slot] + L".exe").c_str(), FALSE);
    return folder;
}

void end(Process& program) {
    if (!program.handle) return;
    TerminateProcess(program.handle, 1);  // fails harmlessly once it has ended
    WaitForSingleObject(program.handle, 5000);
    CloseHandle(program.handle);
    program.handle = nullptr;
}

HostWindows host_windows(HWND main) {
    HostWindows host;
    host.main = main;
    for (int slot = 1; slot <= 3; ++slot) {
        host.panes[slot] = probe::pane(main, slot);
        host.embedded[slot] = probe::embedded(main, slot);
    }
    return host;
}

SIZE client_size(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

SIZE window_size(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

bool all_fill_their_panes(const HostWindows& host) {
    for (int slot = 1; slot <= 3; ++slot) {
        const SIZE want = client_size(host.panes[slot]);
        const SIZE have = window_size(host.embedded[slot]);
        if (have.cx != want.cx || have.cy != want.cy) return false;
    }
    return true;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double worst(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

}  // namespace tessel::bench
