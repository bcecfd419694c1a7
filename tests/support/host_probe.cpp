#include "tests/support/host_probe.h"

#include <vector>

namespace tessel::probe {
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

Process start_process(const std::wstring& file, const std::wstring& directory) {
    std::wstring line = L"\"" + file + L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started))
        return {};
    CloseHandle(started.hThread);
    return {started.hProcess, started.dwProcessId};
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

bool captured(HWND main, std::initializer_list<int> slots) {
    for (int slot : slots) {
        HWND window = embedded(main, slot);
        if (!window || GetAncestor(window, GA_PARENT) != pane(main, slot)) return false;
    }
    return true;
}

bool answers(HWND window, DWORD timeout_ms) {
    DWORD_PTR answer = 0;
    return window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &answer);
}

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Sleep(5);
    }
    return true;
}

}  // namespace tessel::probe
