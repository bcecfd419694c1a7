#include "tests/support/host_probe.h"

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/file_open.h"

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

bool start_unix(const std::string& script) {
    std::wstring line = L"/bin/sh -c \"";
    for (char c : script) {
        if (c == '"' || c == '\\') line.push_back(L'\\');
        line.push_back(static_cast<wchar_t>(c));
    }
    line += L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process) != 0;
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

int run_unix(const std::string& command) {
    // Wine starts a program of the machine but hands back no usable process
    // handles (closing them would close handles of ours), so the command
    // reports its end through a file instead.
    static int serial = 0;
    const std::string marker = "/tmp/tessel-run-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++serial);
    if (!start_unix(command + "; echo $? > " + marker + ".part; mv " + marker + ".part " + marker))
        return -1;
    const std::wstring done = L"Z:" + std::wstring(marker.begin(), marker.end());
    // No pumping meanwhile: input it makes waits in our queue for the
    // caller's own loop, and no event is taken away from the caller.
    const ULONGLONG end = GetTickCount64() + 20000;
    while (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() > end) return -1;
        Sleep(2);
    }
    int code = -1;
    if (FILE* file = open_file(done.c_str(), L"r")) {
        if (fscanf_s(file, "%d", &code) != 1) code = -1;
        std::fclose(file);
    }
    DeleteFileW(done.c_str());
    return code;
}

std::string unix_output(const std::string& command) {
    const std::string file = "/tmp/tessel-out-" + std::to_string(GetCurrentProcessId());
    run_unix(command + " > " + file);
    std::string text;
    const std::wstring path = L"Z:" + std::wstring(file.begin(), file.end());
    if (FILE* in = open_file(path.c_str(), L"r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, in)) text += buffer;
        std::fclose(in);
    }
    DeleteFileW(path.c_str());
    return text;
}

void run_unix_detached(const std::string& command) { start_unix(command); }

}  // namespace tessel::probe
