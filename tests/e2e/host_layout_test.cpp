// The pane layout of the running host and its propagation to the add-ons,
// driven as a user would: resizing, maximising, and dragging the bars with
// the real mouse.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "tests/support/host_support.h"
#include "tests/support/platform_support.h"

namespace tessel::testing {
namespace {

constexpr int kBar = 7;

// The display's DPI, which the host and the add-ons scale by.
int display_dpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int read = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return read;
    }();
    return dpi;
}
int scaled(int value) { return MulDiv(value, display_dpi(), 96); }

struct Box {
    int x, y, width, height;
    bool operator==(const Box&) const = default;
};
using Panes = std::array<Box, 3>;  // containers 1, 2, 3 in client coordinates

std::string describe(const Panes& panes) {
    std::ostringstream out;
    for (const Box& b : panes) out << "(" << b.x << "," << b.y << " " << b.width << "x" << b.height << ") ";
    return out.str();
}

// The proportions each splitter keeps, as extent / second length.
struct Ratios {
    double inner = 493.0 / 143.0;
    double outer = 593.0 / 93.0;
};

Panes layout_for(int width, int height, Ratios ratios = {}) {
    const int outer_extent = height - kBar;
    const int bottom = static_cast<int>(std::floor(outer_extent / ratios.outer));
    const int top = outer_extent - bottom;
    const int inner_extent = width - kBar;
    const int right = static_cast<int>(std::floor(inner_extent / ratios.inner));
    const int left = inner_extent - right;
    return {Box{0, 0, left, top}, Box{left + kBar, 0, right, top},
            Box{0, top + kBar, width, bottom}};
}

// A drag stores extent / (extent - p) for the new first length p.
double ratio_after_drag(int extent, int first) {
    return static_cast<double>(extent) / (extent - first);
}

Panes current_panes(HostRun& host) {
    Panes panes{};
    for (int slot = 1; slot <= 3; ++slot) {
        const RECT r = rect_in(host.main_window(), host.pane(slot));
        panes[static_cast<std::size_t>(slot - 1)] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    return panes;
}

bool embedded_fills_pane(HostRun& host, int slot) {
    HWND window = host.embedded(slot);
    if (!window) return true;  // an empty pane has nothing to follow
    const RECT pane = client_rect(host.pane(slot));
    const RECT inside = rect_in(host.pane(slot), window);
    return inside.left == 0 && inside.top == 0 && inside.right == pane.right &&
           inside.bottom == pane.bottom;
}

bool all_embedded_fill(HostRun& host) {
    for (int slot = 1; slot <= 3; ++slot)
        if (!embedded_fills_pane(host, slot)) return false;
    return true;
}

// Waits for the panes to settle as expected and every add-on to follow.
::testing::AssertionResult shows_layout(HostRun& host, const Panes& want, int timeout_ms = 5000) {
    const bool settled =
        pump_until([&] { return current_panes(host) == want && all_embedded_fill(host); }, timeout_ms);
    if (settled) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "panes " << describe(current_panes(host)) << "wanted "
                                         << describe(want)
                                         << (all_embedded_fill(host) ? "" : "; an add-on window lags");
}

// Each add-on as the screen shows it: its window colour in its margins and
// gaps and behind its caption, its caption text, the white of its tree and
// editor. Slots 1, 2, 3: Cobaltpane, Emberpane, Saffronpane.
struct Look {
    COLORREF window, caption;
};
constexpr Look kLooks[] = {{RGB(0, 0, 255), RGB(255, 255, 255)},
                           {RGB(255, 0, 0), RGB(255, 255, 255)},
                           {RGB(255, 255, 0), RGB(0, 0, 0)}};
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A place that a window outside "Split" covers, a menu or a list that is
// open, is not the pane's to show.
bool covered(HostRun& host, POINT at) {
    HWND over = WindowFromPoint(at);
    return over && GetAncestor(over, GA_ROOT) != host.main_window();
}

// What pane `slot` shows wrongly: each place of the add-on's client area
// that the pane's geometry leaves in sight is checked, the rest skipped.
std::string pane_faults(const Screenshot& shot, HostRun& host, int slot, POINT shift) {
    RECT pane = window_rect(host.pane(slot));
    OffsetRect(&pane, shift.x, shift.y);
    POINT origin{0, 0};
    if (!ClientToScreen(host.embedded(slot), &origin)) return "no add-on window";
    origin.x += shift.x, origin.y += shift.y;
    const Look& look = kLooks[slot - 1];
    std::ostringstream faults;
    auto expect = [&](int x, int y, COLORREF want, const char* what) {
        const POINT at{origin.x + scaled(x), origin.y + scaled(y)};
        if (!PtInRect(&pane, at) || covered(host, {at.x - shift.x, at.y - shift.y})) return;
        if (const COLORREF got = shot.at(at.x, at.y); got != want)
            faults << what << " at " << x << "," << y << " of " << origin.x << "," << origin.y << " is "
                   << std::hex << got << std::dec << "; ";
    };
    expect(3, 38, look.window, "left margin");
    expect(480, 38, look.window, "right of the buttons");
    expect(100, 25, look.window, "gap under the caption");
    expect(2, 12, look.window, "caption background");
    expect(276, 300, kWhite, "tree");
    expect(276, 640, kWhite, "editor");
    RECT caption{origin.x + scaled(150), origin.y + scaled(4), origin.x + scaled(400), origin.y + scaled(23)};
    if (IntersectRect(&caption, &caption, &pane) && shot.count(caption, look.caption) < 5)
        faults << "no caption text; ";
    return faults.str();
}

// Where the X server shows "Split" less where Wine says it is: Wine places
// a maximised window's frame beyond the screen's edge, X keeps it on it.
POINT x_shift(HostRun& host) {
    const std::string geometry = unix_output("xdotool search --name '^Split$' getwindowgeometry --shell");
    const RECT wine = window_rect(host.main_window());
    POINT shift{0, 0};
    const std::size_t x = geometry.find("\nX="), y = geometry.find("\nY=");
    if (x != std::string::npos) shift.x = std::atoi(geometry.c_str() + x + 3) - wine.left;
    if (y != std::string::npos) shift.y = std::atoi(geometry.c_str() + y + 3) - wine.top;
    return shift;
}

std::string screen_faults(const Screenshot& shot, HostRun& host) {
    if (shot.empty()) return "no screenshot";
    const POINT shift = x_shift(host);
    std::string faults;
    for (int slot = 1; slot <= 3; ++slot)
        if (std::string f = pane_faults(shot, host, slot, shift); !f.empty())
            faults += "pane " + std::to_string(slot) + ": " + f;
    return faults;
}

// Once every pane shows its add-on, it must go on showing it: samples
// 400 ms apart, each right. The last is kept as tessel-<name>.png.
::testing::AssertionResult shows_addons_in_pixels(HostRun& host, const std::string& name,
                                                  int samples = 5, int within_ms = 8000) {
    std::string faults;
    const std::string keep = narrow(unix_path(bin_directory())) + "tessel-" + name + ".png";
    const std::string first_keep = samples == 0 ? keep : "";
    const bool drawn = pump_until(
        [&] { return (faults = screen_faults(Screenshot::take(first_keep), host)).empty(); }, within_ms);
    if (!drawn) {
        Screenshot::take(keep);  // to see what was wrong
        return ::testing::AssertionFailure() << "never drawn: " << faults;
    }
    for (int sample = 1; sample <= samples; ++sample) {
        pump_for(400);
        faults = screen_faults(Screenshot::take(sample == samples ? keep : ""), host);
        if (!faults.empty()) return ::testing::AssertionFailure() << "sample " << sample << ": " << faults;
    }
    return ::testing::AssertionSuccess();
}

POINT client_point(HostRun& host, int x, int y) {
    const POINT origin = host.client_origin();
    return {origin.x + x, origin.y + y};
}

void drag_in_client(HostRun& host, int from_x, int from_y, int to_x, int to_y) {
    const POINT from = client_point(host, from_x, from_y);
    const POINT to = client_point(host, to_x, to_y);
    drag(from.x, from.y, to.x, to.y);
}

TEST(HostLayout, PanesStartInTheirProportionsAndFollowAResize) {
    HostRun host(prepare_host(L"layout"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    EXPECT_TRUE(shows_layout(host, {Box{0, 0, 563, 500}, Box{570, 0, 230, 500}, Box{0, 507, 800, 93}}));
    EXPECT_TRUE(shows_addons_in_pixels(host, "start"));
    host.resize_client(1000, 700);
    EXPECT_TRUE(shows_layout(host, {Box{0, 0, 705, 585}, Box{712, 0, 288, 585}, Box{0, 592, 1000, 108}}));
    EXPECT_TRUE(shows_addons_in_pixels(host, "resized"));
    // Maximised: every pane in the same proportions.
    ShowWindow(host.main_window(), SW_MAXIMIZE);
    ASSERT_TRUE(pump_until([&] { return IsZoomed(host.main_window()) != 0; }, 3000));
    const RECT full = client_rect(host.main_window());
    EXPECT_GT(full.right, 1000);
    EXPECT_TRUE(shows_layout(host, layout_for(full.right, full.bottom)));
    EXPECT_TRUE(shows_addons_in_pixels(host, "maximised"));
    ShowWindow(host.main_window(), SW_RESTORE);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700)));
    EXPECT_TRUE(shows_addons_in_pixels(host, "restored", 2));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

// The panes tile "Split"'s client area to the pixel: the first at the top
// left, the second to the right edge, the third full width to the bottom,
// both bars the scaled thickness, each add-on filling its pane.
::testing::AssertionResult tiles_exactly(HostRun& host) {
    const RECT client = client_rect(host.main_window());
    const int bar = scaled(kBar);
    const Panes now = current_panes(host);
    const Box& first = now[0];
    const Panes want{Box{0, 0, first.width, first.height},
                     Box{first.width + bar, 0, client.right - first.width - bar, first.height},
                     Box{0, first.height + bar, client.right, client.bottom - first.height - bar}};
    if (now == want && all_embedded_fill(host)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "client " << client.right << "x" << client.bottom << ": panes "
                                         << describe(now) << "wanted " << describe(want)
                                         << (all_embedded_fill(host) ? "" : "; an add-on window lags");
}

// At any DPI "Split" starts as the 96-DPI layout scaled, and at every
// size its panes tile it exactly; at 144 and 192 DPI the panes are also
// checked in pixels after start-up and after a resize.
TEST(HighDpi, ThePanesTileSplitToThePixelAtEverySize) {
    HostRun host(prepare_host(L"high-dpi"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    const RECT client = client_rect(host.main_window());
    EXPECT_TRUE(pump_until([&] { return tiles_exactly(host); }, 5000)) << tiles_exactly(host).message();
    // As asked and in the 96-DPI proportions, within the rounding of one
    // scaled pixel, unless "Split" was made smaller to fit the work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT frame = window_rect(host.main_window());
    const bool fitted = frame.bottom - frame.top == work.bottom - work.top;
    const Panes now = current_panes(host);
    if (!fitted) {
        EXPECT_EQ(client.right, scaled(800));
        EXPECT_EQ(client.bottom, scaled(600));
        EXPECT_LE(std::abs(now[0].width - scaled(563)), 2) << describe(now);
        EXPECT_LE(std::abs(now[0].height - scaled(500)), 2) << describe(now);
    }
    const int dpi = display_dpi();
    const bool pixels = (dpi == 144 || dpi == 192) && !fitted;
    const std::string name = "dpi" + std::to_string(dpi);
    if (pixels) {
        EXPECT_TRUE(shows_addons_in_pixels(host, name, 2));
    }
    // Odd sizes, then nine tenths of the first, where every caption shows.
    const SIZE last{client.right * 9 / 10, client.bottom * 9 / 10};
    for (const SIZE size : {SIZE{1001, 701}, SIZE{777, 555}, SIZE{913, 611}, last}) {
        host.resize_client(size.cx, size.cy);
        EXPECT_TRUE(pump_until([&] {
            const RECT r = client_rect(host.main_window());
            return r.right == size.cx && r.bottom == size.cy && tiles_exactly(host);
        }, 5000)) << tiles_exactly(host).message();
    }
    if (pixels) {
        EXPECT_TRUE(shows_addons_in_pixels(host, name + "-resized", 2));
    }
    EXPECT_EQ(host.close_and_wait(), 0u);
}

::testing::AssertionResult on_the_screen(HWND window) {
    const RECT outer = window_rect(window);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (outer.left >= 0 && outer.top >= 0 && outer.right <= width && outer.bottom <= height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << outer.left << "," << outer.top << " to " << outer.right << ","
                                         << outer.bottom << " on a screen of " << width << "x" << height;
}

// An add-on run alone and "Split" open wholly on the screen, whatever
// their scaled size and position.
TEST(HighDpi, EveryWindowOpensWhollyOnTheScreen) {
    Process addon = start_process(build_addon(L"Emberpane"));
    HWND alone = nullptr;
    // Shown, so also placed.
    ASSERT_TRUE(pump_until([&] {
        alone = FindWindowW(nullptr, L"Emberpane");
        return alone && IsWindowVisible(alone);
    }, 10000));
    EXPECT_TRUE(on_the_screen(alone));
    TerminateProcess(addon.handle, 0);
    CloseHandle(addon.handle);
    HostRun host(prepare_host(L"on-screen"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    EXPECT_TRUE(on_the_screen(host.main_window()));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

// A point of an add-on's window on the screen: its client area, or with
// `in_menu_bar` its whole window, where the bar is.
POINT addon_point(HostRun& host, int slot, int x, int y, bool in_menu_bar = false) {
    POINT at{scaled(x), scaled(y)};
    if (in_menu_bar) {
        const RECT outer = window_rect(host.embedded(slot));
        return {outer.left + at.x, outer.top + at.y};
    }
    ClientToScreen(host.embedded(slot), &at);
    return at;
}

void click_addon(HostRun& host, int slot, int x, int y, bool in_menu_bar = false) {
    const POINT at = addon_point(host, slot, x, y, in_menu_bar);
    click_at(at.x, at.y);
}

// Where the keys went, read from the add-ons themselves: a gadget's text
// (gadget numbers are the controls' identifiers), the control that the
// add-on's thread sees focused, its menu mode and its pop-ups.
std::wstring gadget_text(HostRun& host, int slot, int gadget) {
    HWND control = GetDlgItem(host.embedded(slot), gadget);
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    if (!control || !SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text),
                                         SMTO_ABORTIFHUNG, 2000, &copied))
        return L"(no answer)";
    return text;
}

GUITHREADINFO input_of(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info;
}

DWORD thread_of(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

// The gadget of slot's add-on that holds the focus (the gadget itself or a
// control inside it), or -1.
int focused_gadget(HostRun& host, int slot) {
    HWND addon = host.embedded(slot);
    for (HWND at = input_of(thread_of(addon)).hwndFocus; at; at = GetAncestor(at, GA_PARENT))
        if (GetAncestor(at, GA_PARENT) == addon) return static_cast<int>(GetWindowLongPtrW(at, GWLP_ID));
    return -1;
}

bool in_menu_mode(HostRun& host, int slot) {
    return (input_of(thread_of(host.embedded(slot))).flags & GUI_INMENUMODE) != 0;
}

// A shown top-level window of that class, of slot's add-on.
bool shows_popup(HostRun& host, int slot, const wchar_t* class_name) {
    struct Search {
        DWORD thread;
        const wchar_t* class_name;
        bool found;
    } search{thread_of(host.embedded(slot)), class_name, false};
    EnumWindows([](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        s.found = s.found || (IsWindowVisible(window) && thread_of(window) == s.thread &&
                              lstrcmpW(name, s.class_name) == 0);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void keys(const char* names) { xdotool(std::string("key --delay 80 ") + names); }
void type(const char* text) { xdotool(std::string("type --delay 60 '") + text + "'"); }

// Types into a gadget as a user would, and checks that the text arrived.
::testing::AssertionResult types_into(HostRun& host, int slot, int gadget, int x, int y,
                                      const char* text, const std::wstring& want) {
    pump_for(300);  // a user's pace
    click_addon(host, slot, x, y);
    pump_until([&] { return focused_gadget(host, slot) == gadget; }, 2000);  // as a user sees the caret
    type(text);
    if (pump_until([&] { return gadget_text(host, slot, gadget) == want; }, 3000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "slot " << slot << " gadget " << gadget << " holds '"
                                         << narrow(gadget_text(host, slot, gadget)) << "', focus in gadget "
                                         << focused_gadget(host, slot);
}

// Types one letter more into a pane's upper combo box.
::testing::AssertionResult types_on(HostRun& host, int slot, const char* letter) {
    const std::wstring want = gadget_text(host, slot, 2) + std::wstring(letter, letter + 1);
    return types_into(host, slot, 2, 50, 38, letter, want);
}

// "Split"'s caption in the colours of an active window.
bool caption_active(HostRun& host) {
    const RECT frame = window_rect(host.main_window());
    const POINT shift = x_shift(host);
    const COLORREF got = Screenshot::take().at(frame.left + shift.x + 60, frame.top + shift.y + 8);
    return got == GetSysColor(COLOR_ACTIVECAPTION) || got == GetSysColor(COLOR_GRADIENTACTIVECAPTION);
}

// The keyboard reaches every control of every pane, as in each add-on run
// alone: typing, Enter and Backspace, Tab and Shift+Tab, the menu by F10 and
// by mouse, a combo box's list by F4; and a drag of a bar leaves the focus
// where the user was.
TEST(HostLayout, KeysReachTheControlOfThePaneTheUserClicked) {
    HostRun host(prepare_host(L"keys"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    // Tall enough for every pane's editor to be in sight.
    SetWindowPos(host.main_window(), nullptr, 20, 20, 1100, 1040,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    ASSERT_TRUE(pump_until([&] { return all_embedded_fill(host) && client_rect(host.pane(1)).bottom > 700; }));

    EXPECT_TRUE(types_into(host, 1, 2, 50, 38, "abc", L"abc"));
    EXPECT_TRUE(types_into(host, 2, 2, 50, 38, "de", L"de"));
    EXPECT_TRUE(types_into(host, 1, 2, 50, 38, "f", L"abcf"));
    EXPECT_TRUE(caption_active(host));
    // The editor: no limit refuses the text; Enter and Backspace work.
    click_addon(host, 2, 100, 620);
    type("a line");
    keys("Return x y BackSpace");
    auto editor_text = [&] {
        std::wstring text = gadget_text(host, 2, 7);
        std::erase(text, L'\r');
        return text;
    };
    EXPECT_TRUE(pump_until([&] { return editor_text() == L"a line\nx"; }, 3000)) << narrow(editor_text());

    // Tab and Shift+Tab move among Saffronpane's own controls.
    click_addon(host, 3, 50, 38);
    keys("Tab");
    EXPECT_TRUE(pump_until([&] { return focused_gadget(host, 3) == 3; }, 2000)) << focused_gadget(host, 3);
    keys("shift+Tab");
    EXPECT_TRUE(pump_until([&] { return focused_gadget(host, 3) == 2; }, 2000)) << focused_gadget(host, 3);

    // Its menu, by Alt alone, by F10 and Down, closed by Escape; then by mouse.
    keys("alt");
    EXPECT_TRUE(pump_until([&] { return in_menu_mode(host, 3); }, 2000));
    keys("Escape");
    EXPECT_TRUE(pump_until([&] { return !in_menu_mode(host, 3); }, 2000));
    keys("F10");
    EXPECT_TRUE(pump_until([&] { return in_menu_mode(host, 3); }, 2000));
    keys("Down");
    EXPECT_TRUE(pump_until([&] { return shows_popup(host, 3, L"#32768"); }, 2000));
    keys("Escape Escape");
    EXPECT_TRUE(pump_until([&] { return !in_menu_mode(host, 3) && !shows_popup(host, 3, L"#32768"); }, 2000));
    click_addon(host, 3, 20, 8, true);
    EXPECT_TRUE(pump_until([&] { return shows_popup(host, 3, L"#32768"); }, 2000));
    keys("Escape Escape");
    EXPECT_TRUE(pump_until([&] { return !in_menu_mode(host, 3) && !shows_popup(host, 3, L"#32768"); }, 2000));
    // A combo box's list, opened by F4 or Alt+Down, closed by Escape, Enter
    // or F4, with no menu opened by the Alt of Alt+Down.
    const std::pair<const char*, const char*> lists[] = {
        {"F4", "Escape"}, {"F4", "Return"}, {"alt+Down", "Escape"}, {"alt+Down", "F4"}};
    for (const auto& [open, close] : lists) {
        keys(open);
        EXPECT_TRUE(pump_until([&] { return shows_popup(host, 3, L"ComboLBox"); }, 2000)) << open;
        keys(close);
        EXPECT_TRUE(pump_until([&] { return !shows_popup(host, 3, L"ComboLBox") && !in_menu_mode(host, 3); },
                               2000)) << open << " " << close;
    }
    type("g");
    EXPECT_TRUE(pump_until([&] { return gadget_text(host, 3, 2) == L"g"; }, 3000));

    // A drag of the lower bar keeps the focus where the user typed.
    drag_in_client(host, 200, client_rect(host.pane(1)).bottom + 2, 200, 600);
    type("h");
    EXPECT_TRUE(pump_until([&] { return gadget_text(host, 3, 2) == L"gh"; }, 3000))
        << narrow(gadget_text(host, 3, 2));
    EXPECT_TRUE(caption_active(host));
    // Straight from the pane to another program, and back by a click into it.
    HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 1800, 1000, 100,
                                 60, nullptr, nullptr, nullptr, nullptr);
    click_at(1850, 1030);
    EXPECT_TRUE(pump_until([&] { return !caption_active(host); }, 3000));
    DestroyWindow(other);
    EXPECT_TRUE(types_on(host, 3, "i"));
    EXPECT_TRUE(caption_active(host));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

// The caret on the screen, widened a little: it blinks.
RECT caret_on_screen(HostRun& host, POINT shift) {
    RECT caret{};
    for (int slot = 1; slot <= 3; ++slot) {
        const GUITHREADINFO input = input_of(thread_of(host.embedded(slot)));
        if (!input.hwndCaret) continue;
        caret = input.rcCaret;
        MapWindowPoints(input.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
        InflateRect(&caret, 3, 3);
        OffsetRect(&caret, shift.x, shift.y);
    }
    return caret;
}

// What the panes show is what the add-ons draw afresh: a screenshot, every
// add-on asked to draw itself again with all its children, another
// screenshot, the panes compared pixel for pixel, the caret aside. This
// catches a control that the screen shows undrawn or stale.
::testing::AssertionResult shows_what_the_addons_draw(HostRun& host) {
    const POINT shift = x_shift(host);
    const Screenshot shown = Screenshot::take();
    for (int slot = 1; slot <= 3; ++slot)
        RedrawWindow(host.embedded(slot), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    pump_for(700);
    const Screenshot drawn = Screenshot::take();
    const RECT caret = caret_on_screen(host, shift);
    for (int slot = 1; slot <= 3; ++slot) {
        RECT pane = window_rect(host.pane(slot));
        int differing = 0;
        POINT first{};
        for (int y = pane.top; y < pane.bottom; ++y)
            for (int x = pane.left; x < pane.right; ++x) {
                const POINT at{x + shift.x, y + shift.y};
                if (PtInRect(&caret, at) || shown.at(at.x, at.y) == drawn.at(at.x, at.y)) continue;
                if (covered(host, {x, y})) continue;
                if (!differing++) first = at;
            }
        if (differing)
            return ::testing::AssertionFailure() << differing << " pixels of pane " << slot
                                                 << " differ from a fresh drawing, first at " << first.x
                                                 << "," << first.y;
    }
    return ::testing::AssertionSuccess();
}

// Whatever the user does to an add-on or to "Split", every pane shows its
// add-on again once it has settled: on Wine the host's own image is shown
// over the panes on many of these, which the host must repair.
TEST(HostLayout, ThePanesStayDrawnWhateverTheUserDoes) {
    HostRun host(prepare_host(L"interaction"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    auto settled = [&](const char* name) {
        pump_for(500);
        if (auto drawn = shows_addons_in_pixels(host, name, 0, 1000); !drawn) return drawn;
        return shows_what_the_addons_draw(host) << " (" << name << ")";
    };

    // A menu opened by mouse takes the keyboard, before any click into a
    // pane and from another pane alike: Escape closes it.
    auto menu_closed = [&](int slot) {
        return pump_until([&] { return !in_menu_mode(host, slot) && !shows_popup(host, slot, L"#32768"); },
                          2000);
    };
    click_addon(host, 1, 20, 8, true);  // Cobaltpane's "Fichiers", as the first thing
    EXPECT_TRUE(settled("menu-open"));
    keys("Escape Escape");
    EXPECT_TRUE(menu_closed(1));
    EXPECT_TRUE(settled("menu-closed"));
    EXPECT_TRUE(types_on(host, 3, "m"));
    click_addon(host, 2, 20, 8, true);
    EXPECT_TRUE(pump_until([&] { return shows_popup(host, 2, L"#32768"); }, 2000));
    keys("Escape Escape");
    EXPECT_TRUE(menu_closed(2));
    EXPECT_TRUE(types_on(host, 2, "m"));
    click_addon(host, 2, 100, 300);  // Emberpane's tree
    EXPECT_TRUE(settled("after-click"));
    // Tall enough for every pane's editor to be in sight.
    SetWindowPos(host.main_window(), nullptr, 20, 20, 1100, 1040,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    ASSERT_TRUE(pump_until([&] { return all_embedded_fill(host) && client_rect(host.pane(1)).bottom > 700; }));
    keys("F10");
    EXPECT_TRUE(settled("menu-by-key"));
    keys("Escape");
    click_addon(host, 1, 20, 8, true);
    click_addon(host, 3, 3, 38);  // closes the menu: Saffronpane's background
    EXPECT_TRUE(settled("menu-closed-by-click"));
    click_addon(host, 3, 208, 38);  // the arrow of Saffronpane's upper combo box
    EXPECT_TRUE(settled("list-open"));
    click_addon(host, 3, 300, 12);  // elsewhere: the list closes
    EXPECT_TRUE(pump_until([&] { return !covered(host, addon_point(host, 3, 60, 12)); }, 2000));
    EXPECT_TRUE(settled("list-closed"));
    EXPECT_TRUE(types_into(host, 1, 2, 50, 38, "abc", L"abc"));
    EXPECT_TRUE(settled("typed-combo"));
    click_addon(host, 2, 100, 620);  // Emberpane's editor
    type("a line");
    keys("Tab shift+Tab Tab");
    EXPECT_TRUE(settled("typed-editor-tab"));
    click_addon(host, 3, 380, 38);  // Saffronpane's "Rafraichir"
    EXPECT_TRUE(settled("button"));

    // Another window comes to the front over "Split" and goes again.
    HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 100, 100,
                                 600, 500, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    pump_for(300);
    DestroyWindow(other);
    SetForegroundWindow(host.main_window());
    EXPECT_TRUE(settled("activated-again"));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostLayout, DraggingEitherBarMovesItAndThePanesFollow) {
    HostRun host(prepare_host(L"drag"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(shows_layout(host, layout_for(800, 600)));
    SetForegroundWindow(host.main_window());

    // Vertical bar at x 563 to 569: grabbed 3 pixels in, let go at x 403.
    drag_in_client(host, 566, 250, 403, 250);
    Ratios ratios;
    ratios.inner = ratio_after_drag(793, 400);
    EXPECT_TRUE(shows_layout(host, layout_for(800, 600, ratios)));
    EXPECT_TRUE(shows_addons_in_pixels(host, "dragged-inner"));

    // Horizontal bar at y 500 to 506: grabbed 2 pixels in, let go at y 302.
    drag_in_client(host, 200, 502, 200, 302);
    ratios.outer = ratio_after_drag(593, 300);
    EXPECT_TRUE(shows_layout(host, layout_for(800, 600, ratios)));
    EXPECT_TRUE(shows_addons_in_pixels(host, "dragged"));

    // The new proportions are the ones a resize keeps.
    host.resize_client(1000, 700);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700, ratios)));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostLayout, AResizeDuringStartUpLeavesTheLayoutToTheNextOne) {
    // The slow first add-on keeps the host in its start-up for 1.5 s.
    HostRun host(prepare_host(L"early-resize", {{1, fake_addon(L"slow")}}));
    ASSERT_TRUE(host.start());
    ASSERT_NE(host.main_window(), nullptr);
    host.resize_client(1000, 700);
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(pump_until([&] { return client_rect(host.main_window()).right == 1000; }, 3000));
    EXPECT_TRUE(shows_layout(host, layout_for(800, 600)));
    host.resize_client(900, 650);
    EXPECT_TRUE(shows_layout(host, layout_for(900, 650)));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostLayout, AZeroSizeKeepsTheProportionsForTheNextSize) {
    HostRun host(prepare_host(L"zero-size"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(shows_layout(host, layout_for(800, 600)));
    SendMessageW(host.main_window(), WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_TRUE(shows_layout(host, layout_for(800, 600)));
    host.resize_client(1000, 700);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700)));
    // Minimising sizes the client area to nothing; restoring brings it all back.
    ShowWindow(host.main_window(), SW_MINIMIZE);
    ASSERT_TRUE(pump_until([&] { return IsIconic(host.main_window()) != 0; }, 3000));
    ShowWindow(host.main_window(), SW_RESTORE);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700)));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostLayout, AKilledAddonLeavesTheHostResizingDraggingAndClosingCleanly) {
    HostRun host(prepare_host(L"killed"));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(shows_layout(host, layout_for(800, 600)));
    Process ember = process_of_window(host.embedded(2));
    ASSERT_NE(ember.handle, nullptr);
    TerminateProcess(ember.handle, 7);
    EXPECT_EQ(wait_exit(ember, 5000), 7u);
    CloseHandle(ember.handle);
    ASSERT_TRUE(pump_until([&] { return host.embedded(2) == nullptr; }, 3000));

    host.resize_client(1000, 700);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700)));
    SetForegroundWindow(host.main_window());
    drag_in_client(host, 708, 300, 503, 300);
    Ratios ratios;
    ratios.inner = ratio_after_drag(993, 500);
    EXPECT_TRUE(shows_layout(host, layout_for(1000, 700, ratios)));
    EXPECT_TRUE(host.responsive());
    EXPECT_EQ(host.close_and_wait(), 0u);
}

// Only the add-on the user works in shares the host's focus.
bool shares_input(HostRun& host, int slot) {
    const GUITHREADINFO addon = input_of(thread_of(host.embedded(slot)));
    const GUITHREADINFO split = input_of(thread_of(host.main_window()));
    return addon.hwndFocus && addon.hwndFocus == split.hwndFocus;
}

// Cobaltpane stops right after the user typed into it, and the user goes
// on; 5 s after the stop the other panes take clicks and keys and the
// lower bar moves, and once it runs again it takes keys too.
TEST(HostLayout, AStoppedAddonFreezesNeitherSplitNorTheOtherPanes) {
    const std::wstring label = L"hung";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    struct Resume {
        const std::wstring& label;
        ~Resume() { signal_addon(label, "Cobaltpane", "CONT"); }
    } resume{label};
    const RECT frame = window_rect(host.main_window());
    const auto command = [&](WPARAM which) { PostMessageW(host.main_window(), WM_SYSCOMMAND, which, 0); };
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"clicked into Emberpane and typed", [&] { click_addon(host, 2, 70, 38), type("x"); }},
        {"typed on, clicked Cobaltpane and the caption", [&] {
             type("y"), click_addon(host, 1, 70, 38), click_at(frame.left + 60, frame.top + 8);
         }},
        {"dragged the bar, resized, maximised, restored", [&] {
             drag_in_client(host, 200, current_panes(host)[0].height + 2, 200, 300);
             host.resize_client(900, 650), command(SC_MAXIMIZE), pump_for(500), command(SC_RESTORE);
         }},
        {"went to another program and back", [&] {
             HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 100, 100,
                                          300, 200, nullptr, nullptr, nullptr, nullptr);
             click_at(150, 150), pump_for(500), DestroyWindow(other), click_addon(host, 3, 50, 38);
         }},
    };
    for (const auto& [what, action] : actions) {
        EXPECT_TRUE(types_on(host, 1, "c")) << what;
        signal_addon(label, "Cobaltpane", "STOP");
        pump_for(1000);
        action();
        pump_for(3000);
        EXPECT_TRUE(types_on(host, 2, "e")) << what;
        EXPECT_TRUE(types_on(host, 3, "s")) << what;
        EXPECT_FALSE(shares_input(host, 1)) << what;
        const int top = current_panes(host)[0].height;
        drag_in_client(host, 200, top + 2, 200, top - 28);
        EXPECT_TRUE(pump_until([&] { return current_panes(host)[0].height == top - 30; }, 3000)) << what;
        signal_addon(label, "Cobaltpane", "CONT");
        pump_for(1500);
        EXPECT_EQ(focused_gadget(host, 1), -1) << what << ": a caret left behind";
    }
    EXPECT_TRUE(types_on(host, 1, "c"));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

// An add-on whose input is attached to the host's, as the platform does on
// a capture, and that stops while the user is not in it, holds up neither
// a drag nor a close.
TEST(HostLayout, AStoppedAddonWithItsInputAttachedDoesNotHoldUpTheHost) {
    const std::wstring label = L"attached";
    HostRun host(prepare_host(label, {{2, fake_addon(L"attached")}}));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(shows_layout(host, layout_for(800, 600)));
    signal_addon(label, "Emberpane", "STOP");
    struct Resume {
        const std::wstring& label;
        ~Resume() { signal_addon(label, "Emberpane", "CONT"); }
    } resume{label};
    SetForegroundWindow(host.main_window());
    drag_in_client(host, 566, 250, 403, 250);
    Ratios ratios;
    ratios.inner = ratio_after_drag(793, 400);
    const Panes dragged = layout_for(800, 600, ratios);
    EXPECT_TRUE(pump_until([&] { return current_panes(host) == dragged; }, 5000));
    EXPECT_EQ(host.close_and_wait(3000), 0u);
}

// A pane that moves shows its add-on's picture, never the host's own grey,
// even before the add-on draws again: here none does, all being stopped.
// Nor does a drag of the lower bar show the host's grey over the upper
// panes, beyond the columns beside the upper bar that the host draws.
TEST(HostLayout, AMovedPaneNeverShowsTheHostsGreyOverItsAddon) {
    const std::wstring label = L"moved";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    SetForegroundWindow(host.main_window());
    ASSERT_TRUE(shows_addons_in_pixels(host, "before-move", 1));
    const char* const addons[] = {"Cobaltpane", "Emberpane", "Saffronpane"};
    for (const char* addon : addons) signal_addon(label, addon, "STOP");
    struct Resume {
        const std::wstring& label;
        const char* const (&addons)[3];
        ~Resume() {
            for (const char* addon : addons) signal_addon(label, addon, "CONT");
        }
    } resume{label, addons};
    drag_in_client(host, 200, 502, 200, 552);  // the lower pane moves down 50 pixels
    ASSERT_TRUE(pump_until([&] { return current_panes(host)[2].y == 557; }, 5000));
    pump_for(500);
    const Screenshot shot =
        Screenshot::take(narrow(unix_path(bin_directory())) + "tessel-moved.png");
    const POINT shift = x_shift(host);
    for (int slot = 1; slot <= 3; ++slot) {
        const RECT pane = window_rect(host.pane(slot)), window = window_rect(host.embedded(slot));
        RECT addon{};
        IntersectRect(&addon, &pane, &window);
        InflateRect(&addon, -16, 0);
        OffsetRect(&addon, shift.x, shift.y);
        const int grey = shot.count(addon, GetSysColor(COLOR_BTNFACE));
        EXPECT_LT(grey, (addon.right - addon.left) * (addon.bottom - addon.top) / 10) << slot;
    }
    EXPECT_EQ(host.close_and_wait(), 0u);
}

TEST(HostLayout, AStoppedAddonDoesNotHoldUpTheHost) {
    const std::wstring label = L"stopped";
    HostRun host(prepare_host(label));
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.wait_captured({1, 2, 3}));
    ASSERT_TRUE(shows_layout(host, layout_for(800, 600)));
    HWND ember = host.embedded(2);
    const RECT before = window_rect(ember);
    signal_addon(label, "Emberpane", "STOP");
    struct Resume {
        const std::wstring& label;
        ~Resume() { signal_addon(label, "Emberpane", "CONT"); }
    } resume{label};

    host.resize_client(1000, 700);
    const Panes grown = layout_for(1000, 700);
    EXPECT_TRUE(pump_until([&] { return current_panes(host) == grown; }, 5000));
    EXPECT_TRUE(host.responsive(2000));
    EXPECT_TRUE(pump_until([&] { return embedded_fills_pane(host, 1) && embedded_fills_pane(host, 3); }));
    SetForegroundWindow(host.main_window());
    drag_in_client(host, 200, 587, 200, 402);  // bar at y 585 to 591, grabbed 2 in
    Ratios ratios;
    ratios.outer = ratio_after_drag(693, 400);
    const Panes dragged = layout_for(1000, 700, ratios);
    EXPECT_TRUE(pump_until([&] { return current_panes(host) == dragged; }, 5000));
    EXPECT_TRUE(host.responsive(2000));
    EXPECT_TRUE(types_into(host, 1, 2, 50, 38, "x", L"x"));  // another pane takes keys
    // The add-on is really stopped: it has not moved. Running again, it
    // catches up, and takes keys once the host has attached it again.
    const RECT still = window_rect(ember);
    EXPECT_EQ(still.right - still.left, before.right - before.left);
    signal_addon(label, "Emberpane", "CONT");
    EXPECT_TRUE(shows_layout(host, dragged));
    EXPECT_TRUE(pump_until([&] { return IsHungAppWindow(ember) == FALSE; }, 5000));
    pump_for(1500);
    EXPECT_TRUE(types_into(host, 2, 2, 50, 38, "y", L"y"));
    EXPECT_EQ(host.close_and_wait(), 0u);
}

}  // namespace
}  // namespace tessel::testing
