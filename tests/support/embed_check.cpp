// embed_check FOLDER: starts FOLDER\Tessel.exe and reports whether all
// three add-ons end up in their panes and the host then closes with 0;
// for a build whose folders the tests' own helpers do not see. Exit code
// 0 when it all happened, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/host_probe.h"

int wmain(int argc, wchar_t** argv) {
    using namespace tessel::probe;
    if (argc != 2) return std::fputs("usage: embed_check FOLDER\n", stderr), 1;
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    Process host = start_process(folder + L"Tessel.exe", folder);
    if (!host.handle) return std::fprintf(stderr, "no %lsTessel.exe\n", folder.c_str()), 1;
    HWND main = nullptr;
    const bool shown = wait_for([&] { return (main = FindWindowW(L"WindowClass_0", L"Split")); }, 20000);
    const bool all = shown && wait_for([&] { return captured(main, {1, 2, 3}); }, 20000);
    std::printf("Split %s; add-ons %s their panes\n", shown ? "shown" : "never shown",
                all ? "all in" : "not all in");
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(host.handle, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(host.handle, &code);
    else TerminateProcess(host.handle, 1);
    std::printf("Tessel exited with code %lu\n", code);
    return all && code == 0 ? 0 : 1;
}
