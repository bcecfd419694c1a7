#include "bench/running_host.h"

#include <algorithm>

namespace tessel::bench {
namespace {

struct Search {
    const wchar_t* class_name;
    int id;
    HWND found;
};

BOOL CALLBACK match(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (lstrcmpW(name, search->class_name) == 0 && GetWindowLongPtrW(window, GWLP_ID) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

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

Started start(const std::wstring& file, const std::wstring& directory) {
    std::wstring line = L"\"" + file + L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &started))
        return {};
    CloseHandle(started.hThread);
    return {started.hProcess};
}

void end(Started& program) {
    if (!program.process) return;
    TerminateProcess(program.process, 1);
    WaitForSingleObject(program.process, 5000);
    CloseHandle(program.process);
    program.process = nullptr;
}

HWND find_gadget_window(HWND top, const wchar_t* class_name, int id) {
    Search search{class_name, id, nullptr};
    if (top) EnumChildWindows(top, match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND pane(HWND main, int slot) { return find_gadget_window(main, L"VaneContainer", slot); }

HWND embedded(HWND main, int slot) {
    HWND container = pane(main, slot);
    return container ? GetWindow(container, GW_CHILD) : nullptr;
}

bool all_captured(HWND main) {
    for (int slot = 1; slot <= 3; ++slot) {
        HWND window = embedded(main, slot);
        if (!window || GetAncestor(window, GA_PARENT) != pane(main, slot)) return false;
    }
    return true;
}

HostWindows host_windows(HWND main) {
    HostWindows host;
    host.main = main;
    for (int slot = 1; slot <= 3; ++slot) {
        host.panes[slot] = pane(main, slot);
        host.embedded[slot] = embedded(main, slot);
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
