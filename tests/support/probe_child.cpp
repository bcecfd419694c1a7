// A small program for the runner's tests. Without options it writes its
// command line to standard output when that is a pipe. Options:
//   --report FILE   write its command line, directory, standard handles and
//                   the show request it was started with to FILE
//   --echo          copy standard input to standard output until it ends
//   --say TEXT      write TEXT to standard output and "err:" TEXT to standard error
//   --sleep MS      wait before exiting
//   --exit CODE     exit with CODE
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/support/file_open.h"

namespace {

const wchar_t* handle_kind(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (!handle || handle == INVALID_HANDLE_VALUE) return L"none";
    switch (GetFileType(handle)) {
        case FILE_TYPE_PIPE: return L"pipe";
        case FILE_TYPE_CHAR: return L"char";
        case FILE_TYPE_DISK: return L"disk";
        default: return L"unknown";
    }
}

void report(const wchar_t* file) {
    FILE* out = open_file(file, L"w, ccs=UTF-8");
    if (!out) return;
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::fwprintf(out, L"cmdline=%ls\ncwd=%ls\nshow=%d\nstdin=%ls\nstdout=%ls\nstderr=%ls\n",
                  GetCommandLineW(), directory, show, handle_kind(STD_INPUT_HANDLE),
                  handle_kind(STD_OUTPUT_HANDLE), handle_kind(STD_ERROR_HANDLE));
    std::fclose(out);
}

void write_all(DWORD which, const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
}

void echo() {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got)
        write_all(STD_OUTPUT_HANDLE, std::string(buffer, got));
}

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out.push_back(static_cast<char>(*text));
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Into a pipe only, so that a run on a console stays quiet.
    if (argc == 1 && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE)
        write_all(STD_OUTPUT_HANDLE, narrow(GetCommandLineW()));
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : L"";
        if (option == L"--report") report(value), ++i;
        else if (option == L"--echo") echo();
        else if (option == L"--say") {
            write_all(STD_OUTPUT_HANDLE, narrow(value));
            write_all(STD_ERROR_HANDLE, "err:" + narrow(value));
            ++i;
        } else if (option == L"--sleep") Sleep(static_cast<DWORD>(_wtoi(value))), ++i;
        else if (option == L"--exit") code = _wtoi(value), ++i;
    }
    return code;
}
