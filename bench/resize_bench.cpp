// Resize propagation: the time from resizing "Split" until all three add-on
// windows have their new sizes, and the cost of one drag step of the bar
// above the bottom pane (all three panes follow). The baseline is the same
// number of bare SetWindowPos calls on the add-on windows.
#include <windows.h>
#include <timeapi.h>

#include <cstdio>
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

// Where a resize's time goes: until the host's own SetWindowPos returns,
// and until the containers have their sizes.
std::vector<double> resize_returns, panes_follow;

std::vector<double> host_resizes(const HostWindows& host) {
    std::vector<double> times;
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
        resize_returns.push_back(returned - started);
        panes_follow.push_back(panes - started);
        times.push_back(now_ms() - started);
    }
    return times;
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

// Drags the outer bar through kDragSteps positions; a step ends once every
// add-on window has its pane's new size.
std::vector<double> drag_steps(const HostWindows& host) {
    HWND outer = find_gadget_window(host.main, L"VaneSplitter", 5);
    const int grab = 2;
    const int bar = client_size(host.panes[1]).cy;  // F: the top row's height
    SendMessageW(outer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, bar + grab));
    std::vector<double> times;
    for (int i = 0; i < kDragSteps; ++i) {
        const int first = 200 + (i % 50) * 5 + (i / 50);  // every step moves the bar
        const double started = now_ms();
        SendMessageW(outer, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, first + grab));
        if (!poll(started, [&] {
                const int top = client_size(host.panes[1]).cy;
                return (top == first || top == first + 1) && all_fill_their_panes(host);
            }))
            break;
        times.push_back(now_ms() - started);
    }
    SendMessageW(outer, WM_LBUTTONUP, 0, 0);
    return times;
}

double total(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum;
}

}  // namespace

int wmain() {
    timeBeginPeriod(1);
    const std::wstring folder = build_folder();
    Process program = start_process(folder + L"Tessel.exe", folder);
    HWND main = nullptr;
    const double started = now_ms();
    while (!main || !captured(main, {1, 2, 3})) {
        if (now_ms() - started > 30'000 || !program.handle) {
            std::printf("Tessel did not capture its three add-ons\n");
            end(program);
            return 1;
        }
        main = FindWindowW(L"WindowClass_0", L"Split");
        Sleep(5);
    }
    const HostWindows host = host_windows(main);
    Sleep(300);  // let start-up settle

    const std::vector<double> resizes = host_resizes(host);
    const std::vector<double> resize_baseline = bare_placements(host, kResizes);
    const std::vector<double> drags = drag_steps(host);
    const std::vector<double> drag_baseline = bare_placements(host, kDragSteps);

    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitForSingleObject(program.handle, 10'000);
    end(program);
    timeEndPeriod(1);
    if (resizes.size() != kResizes || drags.size() != kDragSteps) {
        std::printf("a resize or drag step did not reach every add-on window (%zu, %zu)\n",
                    resizes.size(), drags.size());
        return 1;
    }

    std::printf("resize propagation, %d resizes of \"Split\"\n", kResizes);
    std::printf("resize -> all three add-on windows   median %7.2f ms  worst %7.2f ms  (target median < 10)\n",
                median(resizes), worst(resizes));
    std::printf("baseline: 3 bare SetWindowPos        median %7.2f ms  worst %7.2f ms\n",
                median(resize_baseline), worst(resize_baseline));
    std::printf("  of which SetWindowPos of \"Split\"   median %7.2f ms; containers sized by %7.2f ms\n",
                median(resize_returns), median(panes_follow));
    std::printf("ratio (resize / baseline, medians)   %7.2f\n",
                median(resizes) / median(resize_baseline));
    std::printf("drag of the lower bar, %d steps\n", kDragSteps);
    std::printf("one step, all three panes follow     median %7.2f ms  worst %7.2f ms\n",
                median(drags), worst(drags));
    std::printf("steps per second                     %7.0f  (target >= 60)\n",
                1000.0 * kDragSteps / total(drags));
    std::printf("baseline: 3 bare SetWindowPos        median %7.2f ms  -> %7.0f per second\n",
                median(drag_baseline), 1000.0 * kDragSteps / total(drag_baseline));
    std::printf("ratio (step / baseline, medians)     %7.2f\n", median(drags) / median(drag_baseline));
    return 0;
}
