// Stands in for an add-on in the host's tests; it takes the name of its
// executable, notes its current directory, the show request it was started
// with and its command line, a line each, in "<name>.started" one folder
// up, and then, by build:
//   FAKE_ADDON_QUITS     ends at once without a window;
//   FAKE_ADDON_UNTITLED  shows a window under another title and waits;
//   FAKE_ADDON_SLOW      waits 1.5 s, then shows its titled window and waits;
//   FAKE_ADDON_ATTACHED  attaches its input to the thread of "Split", as
//                        Windows does on a capture, then shows its window.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/file_open.h"

namespace {

std::wstring own_path() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

void note_start(const std::wstring& folder, const std::wstring& name) {
    const std::wstring parent = folder.substr(0, folder.find_last_of(L'\\', folder.size() - 2) + 1);
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    if (FILE* out = open_file((parent + name + L".started").c_str(), L"w, ccs=UTF-8")) {
        std::fwprintf(out, L"%ls\n%d\n%ls\n", directory, show, GetCommandLineW());
        std::fclose(out);
    }
}

void show_and_wait(const std::wstring& title) {
    HWND window = CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP | WS_VISIBLE, 1332, 203,
                                  300, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    (void)window;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring path = own_path();
    const std::size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash + 1);
    std::wstring name = path.substr(slash + 1);
    name = name.substr(0, name.find_last_of(L'.'));
    note_start(folder, name);
#if defined(FAKE_ADDON_QUITS)
    return 0;
#elif defined(FAKE_ADDON_UNTITLED)
    show_and_wait(name + L"-other");
#elif defined(FAKE_ADDON_ATTACHED)
    if (HWND host = FindWindowW(L"WindowClass_0", L"Split"))
        AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(host, nullptr), TRUE);
    show_and_wait(name);
#else
    Sleep(1500);
    show_and_wait(name);
#endif
    return 0;
}
