// close_window TITLE: asks the top-level window with exactly this title to
// close, as the user's close box would (WM_CLOSE), without a window
// manager. Exit code 0 when the window was found, 1 when it was not, 2 on
// bad usage.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: close_window TITLE\n", stderr);
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "close_window: no window titled \"%ls\"\n", argv[1]);
        return 1;
    }
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
