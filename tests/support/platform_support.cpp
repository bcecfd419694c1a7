#include "tests/support/file_open.h"
#include "tests/support/platform_support.h"

#include <shellapi.h>

#include <cstdio>

#include <string>
#include <vector>

#include "toolkit/process/program_runner.h"
#include "toolkit/window/event_pump.h"

namespace tessel::testing {

namespace {

void keep_event(int code, std::vector<SeenEvent>& events) {
    if (code >= gadget_event && code <= window_resized)
        events.push_back({code, event_gadget(), event_window(), event_type()});
}

}  // namespace

std::vector<SeenEvent> collect_events(int milliseconds) {
    std::vector<SeenEvent> events;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    while (GetTickCount64() < end) keep_event(wait_event(1), events);
    return events;
}

std::vector<SeenEvent> collect_until(const std::function<bool()>& done, int timeout_ms) {
    std::vector<SeenEvent> events;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    while (!done() && GetTickCount64() < end) keep_event(wait_event(1), events);
    return events;
}

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    while (!done()) {
        if (GetTickCount64() > end) return false;
        wait_event(1);
    }
    return true;
}

void pump_for(int milliseconds) { collect_events(milliseconds); }

int count_code(const std::vector<SeenEvent>& events, int code) {
    int count = 0;
    for (const SeenEvent& e : events) count += e.code == code;
    return count;
}


void xdotool(const std::string& arguments) { run_unix("xdotool " + arguments); }

void click_at(int x, int y) {
    xdotool("mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

void drag(int from_x, int from_y, int to_x, int to_y) {
    xdotool("mousemove --sync " + std::to_string(from_x) + " " + std::to_string(from_y) +
            " mousedown 1");
    pump_for(50);
    // Several steps, as a hand would move.
    for (int step = 1; step <= 4; ++step) {
        const int x = from_x + (to_x - from_x) * step / 4;
        const int y = from_y + (to_y - from_y) * step / 4;
        xdotool("mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
        pump_for(30);
    }
    xdotool("mouseup 1");
    pump_for(100);
}

Screenshot Screenshot::take(const std::string& keep_png) {
    const std::string file = "/tmp/tessel-shot-" + std::to_string(GetCurrentProcessId()) + ".ppm";
    std::string command = "import -window root -depth 8 ppm:" + file;
    if (!keep_png.empty()) command += " && convert " + file + " " + keep_png;
    Screenshot shot;
    if (run_unix(command) != 0) return shot;
    const std::wstring path = L"Z:" + std::wstring(file.begin(), file.end());
    FILE* in = open_file(path.c_str(), L"rb");
    if (!in) return shot;
    int depth = 0;
    if (fscanf_s(in, "P6 %d %d %d", &shot.width_, &shot.height_, &depth) == 3 && depth == 255 &&
        std::fgetc(in) != EOF) {
        shot.pixels_.resize(static_cast<std::size_t>(shot.width_) * shot.height_ * 3);
        if (std::fread(shot.pixels_.data(), 1, shot.pixels_.size(), in) != shot.pixels_.size())
            shot.pixels_.clear();
    }
    std::fclose(in);
    DeleteFileW(path.c_str());
    return shot;
}

COLORREF Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0xFFFFFFFF;
    const unsigned char* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

int Screenshot::count(const RECT& area, COLORREF colour) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) n += at(x, y) == colour;
    return n;
}

std::wstring unix_path(const std::wstring& windows_path) {
    std::wstring path = windows_path;
    if (path.size() > 2 && path[1] == L':') path = path.substr(2);
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

std::wstring bin_directory() { return path_part(program_path()); }

std::wstring fresh_directory(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring directory = std::wstring(temp) + L"tessel-" + name + L"-" +
                             std::to_wstring(GetCurrentProcessId()) + L"\\";
    SHFILEOPSTRUCTW op{};
    std::wstring from = directory.substr(0, directory.size() - 1);
    from.push_back(0);
    from.push_back(0);
    if (GetFileAttributesW(from.c_str()) != INVALID_FILE_ATTRIBUTES) {
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    CreateDirectoryW(directory.c_str(), nullptr);
    return directory;
}

bool copy_file(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

RECT window_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT client_rect(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

RECT rect_in(HWND parent, HWND child) {
    RECT r = window_rect(child);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace tessel::testing
