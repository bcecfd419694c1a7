// Creates one editor in a fresh process and tells which class it got, so
// that the rich-edit libraries can be taken away from it. Exit code: 0 no
// editor, 1 "RICHEDIT50W", 2 "RichEdit20W", 3 any other class.
// With the argument "placement" it opens a pop-up with no position instead,
// and its exit code is where the platform put it: left << 16 | top (-2
// where its client area is not the size asked).
#include <cwchar>

#include "toolkit/forms/editor.h"
#include "toolkit/toolkit.h"
#include "toolkit/window/dpi.h"
#include "toolkit/window/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    using namespace tessel;
    start_toolkit();
    if (std::wcscmp(arguments, L"placement") == 0) {
        HWND popup = as_window(
            open_window(0, kKeepCurrent, kKeepCurrent, 50, 50, L"", WS_POPUP | kWindowHidden));
        RECT outer{}, client{};
        if (!popup || !GetWindowRect(popup, &outer) || !GetClientRect(popup, &client)) return -1;
        if (client.right != scale_x(50) || client.bottom != scale_y(50)) return -2;  // not the size asked
        return static_cast<int>((outer.left & 0xFFFF) << 16 | (outer.top & 0xFFFF));
    }
    open_window(0, 0, 0, 200, 200, L"Editor probe", WS_POPUP | kWindowHidden);
    HWND editor = as_window(create_editor(7, 0, 0, 100, 50));
    const bool recorded = gadget_handle(7) == editor;
    wchar_t name[32] = {};
    if (editor) GetClassNameW(editor, name, 32);
    stop_toolkit();
    if (!editor) return recorded ? 0 : 4;
    if (_wcsicmp(name, L"RICHEDIT50W") == 0) return 1;
    return _wcsicmp(name, L"RichEdit20W") == 0 ? 2 : 3;
}
