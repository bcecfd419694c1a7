// Helpers for tests that run against the real platform under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/host_probe.h"

namespace tessel::testing {

struct SeenEvent {
    int code;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t type;
};

// Pumps wait_event(1) for the given time and keeps the toolkit events.
std::vector<SeenEvent> collect_events(int milliseconds);
// Pumps and keeps the toolkit events until the predicate holds or the time
// runs out.
std::vector<SeenEvent> collect_until(const std::function<bool()>& done, int timeout_ms = 5000);
// Pumps until the predicate holds or the time runs out; true if it held.
bool pump_until(const std::function<bool()>& done, int timeout_ms = 5000);
void pump_for(int milliseconds);
int count_code(const std::vector<SeenEvent>& events, int code);

using probe::run_unix;
using probe::run_unix_detached;
using probe::unix_output;
// Real input on the X display.
void xdotool(const std::string& arguments);
void click_at(int x, int y);
void drag(int from_x, int from_y, int to_x, int to_y);

// The whole X display as it is now, taken by an X client outside Wine, so
// that it shows what the screen really shows. `keep_png`, when given, is a
// machine path where a copy is kept.
class Screenshot {
public:
    static Screenshot take(const std::string& keep_png = "");
    bool empty() const { return pixels_.empty(); }
    COLORREF at(int x, int y) const;  // 0xFFFFFFFF outside the screen
    int count(const RECT& area, COLORREF colour) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<unsigned char> pixels_;  // RGB rows
};

// ASCII text of a wide string (paths and names of the tests).
inline std::string narrow(const std::wstring& text) {
    std::string ascii;
    for (wchar_t c : text) ascii.push_back(static_cast<char>(c));
    return ascii;
}

// The machine's path of a file under Wine's Z: drive.
std::wstring unix_path(const std::wstring& windows_path);
std::wstring bin_directory();  // of the running test program, with separator
std::wstring fresh_directory(const std::wstring& name);  // empty, under %TEMP%
bool copy_file(const std::wstring& from, const std::wstring& to);

RECT window_rect(HWND window);
RECT client_rect(HWND window);
// A child's window rectangle relative to the client area of `parent`.
RECT rect_in(HWND parent, HWND child);

}  // namespace tessel::testing
