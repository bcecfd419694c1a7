// embed_check FOLDER [VERSION]: starts FOLDER\Tessel.exe and reports
// whether all three add-ons end up in their panes and the host then closes
// with 0; for a build or an installation whose folders the tests' own
// helpers do not see. With VERSION, every program there must also carry
// the product name "Tessel" and that version. Exit code 0 when it all
// held, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/host_probe.h"

namespace {

// A program's version block, empty when it has none.
std::vector<unsigned char> version_block(const std::wstring& file) {
    DWORD ignored = 0;
    std::vector<unsigned char> info(GetFileVersionInfoSizeW(file.c_str(), &ignored));
    if (info.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
        info.clear();
    return info;
}

std::wstring version_text(std::vector<unsigned char>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (info.empty() || !VerQueryValueW(info.data(), query.c_str(), &value, &length) || !length) return L"";
    return static_cast<const wchar_t*>(value);
}

bool versions_hold(const std::wstring& folder, const std::wstring& version) {
    bool all = true;
    for (const wchar_t* program : {L"Tessel", L"Addon\\Cobaltpane", L"Addon\\Emberpane", L"Addon\\Saffronpane"}) {
        std::vector<unsigned char> info = version_block(folder + program + L".exe");
        const std::wstring product = version_text(info, L"ProductName");
        const std::wstring file_version = version_text(info, L"FileVersion");
        const bool right = product == L"Tessel" && file_version == version &&
                           version_text(info, L"ProductVersion") == version &&
                           !version_text(info, L"FileDescription").empty();
        std::printf("%ls: %ls %ls%s\n", program, product.c_str(), file_version.c_str(), right ? "" : " (wrong)");
        all = all && right;
    }
    return all;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace tessel::probe;
    if (argc != 2 && argc != 3) return std::fputs("usage: embed_check FOLDER [VERSION]\n", stderr), 1;
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    if (argc == 3 && !versions_hold(folder, argv[2])) return 1;
    Process host = start_process(folder + L"Tessel.exe", folder);
    if (!host.handle) return std::fprintf(stderr, "no %lsTessel.exe\n", folder.c_str()), 1;
    HWND main = nullptr;
    const bool shown = wait_for([&] { return (main = FindWindowW(L"WindowClass_0", L"Split")) != nullptr; }, 20000);
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
