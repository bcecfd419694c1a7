// Resize propagation: the time from resizing "Split" until all three add-on
// windows have their new sizes, and the cost of one drag step of the bar
// above the bottom pane (all three panes follow). The baselines are the
// same number of bare SetWindowPos calls on the add-on windows, and the
// platform's floors: a window of "Split"'s style whose three children of its
// own follow it, resized and laid out the same way, alone and with the
// add-on windows in its children. The drag is real input
// (SendInput), as a hand's; what the user sees during a drag is read from
// the X screen by the native drag_view. Each figure is printed beside the
// same work with bare add-ons.
#include <windows.h>
#include <timeapi.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "bench/running_host.h"

namespace {

using namespace tessel::bench;

constexpr int kResizes = 200;
constexpr int kDragSteps = 300;
constexpr double kGiveUp = 5'000.0;  // ms for one step
constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;

template <typename Done>
bool poll(double started, Done done) {
    while (!done()) {
        if (now_ms() - started > kGiveUp) return false;
        YieldProcessor();
    }
    return true;
}

SIZE client_for_step(int i) { return {700 + (i % 9) * 40, 500 + (i % 7) * 30}; }

// The top row's height at drag step i: every step moves the bar.
int top_for_step(int i) { return 200 + (i % 50) * 5 + (i / 50); }
constexpr int kGrab = 2;  // pixels into the bar where a drag holds it

void resize_client(HWND main, SIZE client) {
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)));
    SetWindowPos(main, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 kPlace | SWP_NOMOVE);
}

bool pane_width_is(const HostWindows& host, int slot, int width) {
    return client_size(host.panes[slot]).cx == width;
}

struct Resizes {
    std::vector<double> times;
    // Where a resize's time goes: until the host's own SetWindowPos
    // returns, and until the containers have their sizes.
    std::vector<double> returns, panes_follow;
};

Resizes host_resizes(const HostWindows& host) {
    Resizes resizes;
    for (int i = 0; i < kResizes; ++i) {
        const SIZE client = client_for_step(i);
        const double started = now_ms();
        resize_client(host.main, client);
        const double returned = now_ms();
        if (!poll(started, [&] { return pane_width_is(host, 3, client.cx); })) return {};
        const double panes = now_ms();
        if (!poll(started, [&] {
                return pane_width_is(host, 3, client.cx) && all_fill_their_panes(host);
            }))
            return {};
        resizes.returns.push_back(returned - started);
        resizes.panes_follow.push_back(panes - started);
        resizes.times.push_back(now_ms() - started);
    }
    return resizes;
}

// The same add-on windows, sized directly by this process: three calls.
std::vector<double> bare_placements(const HostWindows& host, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const int grow = (i % 2) * 20;
        const double started = now_ms();
        for (int slot = 1; slot <= 3; ++slot) {
            const SIZE size = client_size(host.panes[slot]);
            SetWindowPos(host.embedded[slot], nullptr, 0, 0, size.cx + grow, size.cy, kPlace);
        }
        poll(started, [&] { return window_size(host.embedded[3]).cx == client_size(host.panes[3]).cx + grow; });
        times.push_back(now_ms() - started);
    }
    for (int slot = 1; slot <= 3; ++slot) {
        const SIZE size = client_size(host.panes[slot]);
        SetWindowPos(host.embedded[slot], nullptr, 0, 0, size.cx, size.cy, kPlace);
    }
    return times;
}

// Real mouse input at a point of the screen.
void send_mouse(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// The pointer out of every window measured: a window moved or sized under
// it has its program handle mouse moves, and where it rests would otherwise
// decide which program pays for them.
void park_pointer() {
    send_mouse(0, {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
    Sleep(50);
}

POINT on_screen(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    return at;
}

// Drags the outer bar through kDragSteps positions; a step ends once every
// add-on window has its pane's new size.
std::vector<double> drag_steps(const HostWindows& host) {
    HWND outer = find_gadget_window(host.main, L"VaneSplitter", 5);
    const int bar = client_size(host.panes[1]).cy;  // F: the top row's height
    // Into place first, then a moment for the splitter to see the pointer
    // over its bar before the button goes down.
    send_mouse(0, on_screen(outer, 100, bar + kGrab));
    Sleep(50);
    send_mouse(MOUSEEVENTF_LEFTDOWN, on_screen(outer, 100, bar + kGrab));
    Sleep(50);
    std::vector<double> times;
    for (int i = 0; i < kDragSteps; ++i) {
        const int first = top_for_step(i);
        const double started = now_ms();
        send_mouse(0, on_screen(outer, 100, first + kGrab));
        if (!poll(started, [&] {
                const int top = client_size(host.panes[1]).cy;
                return (top == first || top == first + 1) && all_fill_their_panes(host);
            }))
            break;
        times.push_back(now_ms() - started);
    }
    send_mouse(MOUSEEVENTF_LEFTUP, on_screen(outer, 100, bar + kGrab));
    return times;
}

// The platform's floor: a window of "Split"'s style with three children of
// its own that follow it in WM_SIZE, in the panes' proportions. With guests,
// the add-on windows of three other processes sit in those children and
// are sized with the host's calls by this plain window, no toolkit in it:
// the platform's own cost of panes that belong to other processes.
constexpr DWORD kSplitStyle = 0x00CD0000;
constexpr int kBar = 7;
constexpr UINT kGuestPlacement = SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;

HWND floor_guests[3] = {};

void lay_out_children(HWND window, int width, int height, int top) {
    HWND child = GetWindow(window, GW_CHILD);
    const int left = (width - kBar) * 563 / 793;
    const RECT boxes[3] = {{0, 0, left, top}, {left + kBar, 0, width, top}, {0, top + kBar, width, height}};
    for (int i = 0; i < 3 && child; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT& box = boxes[i];
        MoveWindow(child, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
        if (floor_guests[i])
            SetWindowPos(floor_guests[i], nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                         kGuestPlacement);
    }
}

bool guests_fit(HWND window) {
    HWND child = GetWindow(window, GW_CHILD);
    for (HWND guest : floor_guests) {
        if (!child) return false;
        if (guest) {
            const SIZE pane = client_size(child), own = window_size(guest);
            if (pane.cx != own.cx || pane.cy != own.cy) return false;
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    return true;
}

// The floor's bar follows the mouse as the splitter's does: pressed on it,
// the pointer's height less the grab is the top row's.
LRESULT CALLBACK floor_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    RECT client{};
    switch (message) {
        case WM_SIZE:
            lay_out_children(window, LOWORD(lparam), HIWORD(lparam), (HIWORD(lparam) - kBar) * 500 / 593);
            break;
        case WM_LBUTTONDOWN: SetCapture(window); return 0;
        case WM_LBUTTONUP: ReleaseCapture(); return 0;
        case WM_MOUSEMOVE:
            if (!(wparam & MK_LBUTTON)) break;
            GetClientRect(window, &client);
            lay_out_children(window, client.right, client.bottom, static_cast<short>(HIWORD(lparam)) - kGrab);
            return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void pump_all() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

struct Floor {
    std::vector<double> resizes, drags, input_drags;
};

// The add-on windows of `folder`'s Addon\, each in a process of its own,
// made children of the floor window's children; none found, none placed.
std::vector<Process> seat_guests(HWND window, const std::wstring& folder) {
    std::vector<Process> guests;
    HWND child = GetWindow(window, GW_CHILD);
    for (int i = 0; i < 3 && child; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const wchar_t* name = kAddonNames[i + 1];
        guests.push_back(start_process(folder + L"Addon\\" + name + L".exe", folder));
        const double started = now_ms();
        HWND guest = nullptr;
        while (!guest && now_ms() - started < 10'000) {
            Sleep(5);
            guest = FindWindowW(nullptr, name);
        }
        if (!guest) continue;
        SetParent(guest, child);
        ShowWindow(guest, SW_SHOWNA);
        floor_guests[i] = guest;
    }
    return guests;
}

// Until the guests fit their panes, or at once when there are none.
void settle_floor(HWND window, double started) {
    pump_all();
    while (!guests_fit(window) && now_ms() - started < kGiveUp) pump_all();
}

// The host's drag, by the same real input, of the floor's bar.
std::vector<double> floor_input_drags(HWND window) {
    const int bar = client_size(GetWindow(window, GW_CHILD)).cy;
    send_mouse(0, on_screen(window, 100, bar + kGrab));
    Sleep(50);
    send_mouse(MOUSEEVENTF_LEFTDOWN, on_screen(window, 100, bar + kGrab));
    Sleep(50);
    pump_all();
    std::vector<double> times;
    for (int i = 0; i < kDragSteps; ++i) {
        const int first = top_for_step(i);
        const double started = now_ms();
        send_mouse(0, on_screen(window, 100, first + kGrab));
        do pump_all();
        while ((client_size(GetWindow(window, GW_CHILD)).cy != first || !guests_fit(window)) &&
               now_ms() - started < kGiveUp);
        times.push_back(now_ms() - started);
    }
    send_mouse(MOUSEEVENTF_LEFTUP, on_screen(window, 100, bar + kGrab));
    pump_all();
    return times;
}

Floor measure_floor(const std::wstring& guest_folder = L"") {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = floor_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = L"TesselFloor";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, L"TesselFloor", L"Floor", kSplitStyle | WS_VISIBLE, 40, 40, 816, 639,
                                  nullptr, nullptr, window_class.hInstance, nullptr);
    for (int i = 0; i < 3; ++i)
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 0, 0, 10, 10, window, nullptr,
                        window_class.hInstance, nullptr);
    std::vector<Process> guests;
    if (!guest_folder.empty()) guests = seat_guests(window, guest_folder);
    resize_client(window, {800, 600});
    Sleep(300);  // let the guests settle
    pump_all();
    park_pointer();
    Floor floor;
    for (int i = 0; i < kResizes; ++i) {
        const double started = now_ms();
        resize_client(window, client_for_step(i));
        settle_floor(window, started);
        floor.resizes.push_back(now_ms() - started);
    }
    resize_client(window, {800, 600});
    pump_all();
    for (int i = 0; i < kDragSteps; ++i) {
        const double started = now_ms();
        lay_out_children(window, 800, 600, top_for_step(i));
        settle_floor(window, started);
        floor.drags.push_back(now_ms() - started);
    }
    lay_out_children(window, 800, 600, 500);
    settle_floor(window, now_ms());
    floor.input_drags = floor_input_drags(window);
    DestroyWindow(window);
    for (Process& guest : guests) end(guest);
    for (HWND& guest : floor_guests) guest = nullptr;
    return floor;
}

// The native drag_view, from the native build beside this one.
std::string drag_view_path() {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::string path;
    for (const wchar_t* c = own + 2; *c; ++c) path.push_back(*c == L'\\' ? '/' : static_cast<char>(*c));
    return path.substr(0, path.find_last_of('/') + 1) + "../../../native/bin/drag_view";
}

struct SeenDrag {
    int steps = 0;
    double median = 0, worst = 0;
    long samples = 0, undrawn = 0;
};

// Twenty steps of the lower bar, 10 pixels up each, as the screen shows them.
SeenDrag seen_drag(const HostWindows& host) {
    HWND outer = find_gadget_window(host.main, L"VaneSplitter", 5);
    const POINT grab = on_screen(outer, 100, client_size(host.panes[1]).cy + kGrab);
    const POINT origin = on_screen(host.main, 0, 0);
    const SIZE client = client_size(host.main);
    const COLORREF grey = GetSysColor(COLOR_BTNFACE);
    char command[512];
    std::snprintf(command, sizeof command, "%s %ld %ld 20 -10 %ld %ld %ld %ld %02x%02x%02x",
                  drag_view_path().c_str(), grab.x, grab.y, origin.x, origin.y, client.cx, client.cy,
                  GetRValue(grey), GetGValue(grey), GetBValue(grey));
    SeenDrag seen;
    const std::string out = tessel::probe::unix_output(command);
    std::istringstream read(out);
    if (!(read >> seen.steps >> seen.median >> seen.worst >> seen.samples >> seen.undrawn)) seen.steps = 0;
    return seen;
}

double total(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum;
}

struct Figures {
    Resizes resizes;
    std::vector<double> resize_baseline, drags, drag_baseline;
    SeenDrag seen;
    bool complete() const { return resizes.times.size() == kResizes && drags.size() == kDragSteps; }
};

Figures measure(const std::wstring& folder) {
    Figures figures;
    Process program = start_process(folder + L"Tessel.exe", folder);
    HWND main = nullptr;
    const double started = now_ms();
    while (!main || !captured(main, {1, 2, 3})) {
        if (now_ms() - started > 30'000 || !program.handle) {
            end(program);
            return figures;
        }
        main = FindWindowW(L"WindowClass_0", L"Split");
        Sleep(5);
    }
    const HostWindows host = host_windows(main);
    Sleep(300);  // let start-up settle
    park_pointer();
    figures.resizes = host_resizes(host);
    figures.resize_baseline = bare_placements(host, kResizes);
    figures.drags = drag_steps(host);
    park_pointer();
    figures.drag_baseline = bare_placements(host, kDragSteps);
    resize_client(main, {800, 600});
    Sleep(300);
    figures.seen = seen_drag(host);
    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitForSingleObject(program.handle, 10'000);
    end(program);
    return figures;
}

double per_second(const std::vector<double>& steps) {
    return 1000.0 * static_cast<double>(steps.size()) / total(steps);
}

void print_row(const char* what, double complete, double bare) {
    std::printf("%-46s %9.2f %9.2f\n", what, complete, bare);
}

}  // namespace

int wmain() {
    timeBeginPeriod(1);
    const Floor floor = measure_floor();
    const Floor complete_guests = measure_floor(build_folder());
    const Floor bare_guests = measure_floor(bare_folder());
    const Figures complete = measure(build_folder());
    const Figures bare = measure(bare_folder());
    timeEndPeriod(1);
    if (!complete.complete() || !bare.complete()) {
        std::printf("a resize or drag step did not reach every add-on window (%zu, %zu; bare %zu, %zu)\n",
                    complete.resizes.times.size(), complete.drags.size(), bare.resizes.times.size(), bare.drags.size());
        return 1;
    }
    std::printf("resize propagation, %d resizes of \"Split\"        complete      bare\n", kResizes);
    print_row("resize -> all three add-ons, median ms", median(complete.resizes.times), median(bare.resizes.times));
    print_row("  worst ms", worst(complete.resizes.times), worst(bare.resizes.times));
    print_row("baseline: 3 bare SetWindowPos, median ms", median(complete.resize_baseline),
              median(bare.resize_baseline));
    print_row("ratio (resize / baseline, medians)",
              median(complete.resizes.times) / median(complete.resize_baseline),
              median(bare.resizes.times) / median(bare.resize_baseline));
    std::printf("  complete: SetWindowPos of \"Split\" returns after %.2f ms, containers sized by %.2f ms\n",
                median(complete.resizes.returns), median(complete.resizes.panes_follow));
    print_row("floor: same-style window, 3 own children, ms", median(floor.resizes), median(floor.resizes));
    print_row("ratio (resize / floor, medians)", median(complete.resizes.times) / median(floor.resizes),
              median(bare.resizes.times) / median(floor.resizes));
    print_row("floor: same, add-ons of 3 processes in its panes", median(complete_guests.resizes),
              median(bare_guests.resizes));
    print_row("ratio (resize / that floor, medians)",
              median(complete.resizes.times) / median(complete_guests.resizes),
              median(bare.resizes.times) / median(bare_guests.resizes));
    std::printf("drag of the lower bar by real input, %d steps\n", kDragSteps);
    print_row("one step, all three panes follow, median ms", median(complete.drags), median(bare.drags));
    print_row("steps per second", per_second(complete.drags), per_second(bare.drags));
    print_row("baseline: 3 bare SetWindowPos per second", per_second(complete.drag_baseline),
              per_second(bare.drag_baseline));
    print_row("ratio (step / baseline, medians)", median(complete.drags) / median(complete.drag_baseline),
              median(bare.drags) / median(bare.drag_baseline));
    print_row("floor: moving 3 own children, median ms", median(floor.drags), median(floor.drags));
    print_row("ratio (step / floor, medians)", median(complete.drags) / median(floor.drags),
              median(bare.drags) / median(floor.drags));
    print_row("  its bar dragged by the same real input, ms", median(floor.input_drags),
              median(floor.input_drags));
    print_row("ratio (step / that drag, medians)", median(complete.drags) / median(floor.input_drags),
              median(bare.drags) / median(floor.input_drags));
    print_row("floor: same, add-ons of 3 processes, ms", median(complete_guests.drags),
              median(bare_guests.drags));
    print_row("ratio (step / that floor, medians)", median(complete.drags) / median(complete_guests.drags),
              median(bare.drags) / median(bare_guests.drags));
    print_row("  that floor's bar dragged by real input, ms", median(complete_guests.input_drags),
              median(bare_guests.input_drags));
    print_row("ratio (step / that drag, medians)", median(complete.drags) / median(complete_guests.input_drags),
              median(bare.drags) / median(bare_guests.input_drags));
    if (complete.seen.steps == 0 || bare.seen.steps == 0) {
        std::printf("drag as seen on the screen: no figures (drag_view comes with the native build)\n");
        return 0;
    }
    std::printf("drag as seen on the screen, %d steps of 10 px\n", complete.seen.steps);
    print_row("until every pane is drawn again, median ms", complete.seen.median, bare.seen.median);
    print_row("  worst ms", complete.seen.worst, bare.seen.worst);
    // A step whose panes never went missing counts 0 ms, so the bare median
    // may be 0, and then there is no ratio to give.
    if (bare.seen.median > 0)
        print_row("ratio (median / bare median)", complete.seen.median / bare.seen.median, 1.0);
    else
        std::printf("ratio (median / bare median): none, most bare steps never went missing\n");
    print_row("screen samples over 5% undrawn, %",
              100.0 * static_cast<double>(complete.seen.undrawn) / static_cast<double>(complete.seen.samples),
              100.0 * static_cast<double>(bare.seen.undrawn) / static_cast<double>(bare.seen.samples));
    std::printf("  samples: %ld complete, %ld bare\n", complete.seen.samples, bare.seen.samples);
    return 0;
}
