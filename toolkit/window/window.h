// Toolkit windows: numbered top-level windows with their per-window class,
// placement, accelerators for focus navigation, and clean-up.
#pragma once

#include "toolkit/types.h"

namespace tessel {

// Bits of open_window's flag word that the toolkit interprets; every other
// bit is a platform window style passed on unchanged.
constexpr unsigned kWindowCentreScreen = 0x1;
constexpr unsigned kWindowCentreParent = 0x2;
constexpr unsigned kWindowToolWindow = 0x4;
constexpr unsigned kWindowNoGadgetList = 0x8;
constexpr unsigned kWindowHidden = 0x10000000;
constexpr unsigned kWindowNoActivate = 0x02000000;
constexpr unsigned kWindowMaximized = 0x01000000;
constexpr unsigned kWindowMinimized = 0x20000000;

// Accelerator commands that the pump turns into focus moves.
constexpr WORD kCommandFocusForward = 64001;
constexpr WORD kCommandFocusBackward = 64002;

constexpr wchar_t kWindowIdProperty[] = L"ZW_WindowID";  // number + 1
constexpr wchar_t kFocusProperty[] = L"ZW_Focus";
constexpr wchar_t kDropAcceptProperty[] = L"ZW_DropAccept";

struct TimerNode {
    TimerNode* next;
    UINT_PTR timer;
};

using BackgroundPainter = int (*)(HDC dc, HWND window, HBRUSH brush);

struct WindowRecord {
    HWND handle;  // first field: non-zero while the window exists
    ACCEL* accelerators;
    HACCEL accelerator_table;
    WindowCallback callback;
    int accelerator_count;
    Color background_color;
    HBRUSH background_brush;
    BackgroundPainter background_painter;
    std::uint16_t minimum_width, minimum_height, maximum_width, maximum_height;
    int minimized_or_maximized;
    int ready;
    int callback_reach;
    TimerNode* timers;
};

// Result: the new number for -1, else the native window handle; 0 on failure.
std::intptr_t open_window(ObjectId number, int x, int y, int width, int height,
                          const wchar_t* title, unsigned flags);
HWND window_handle(ObjectId number);
void close_window(ObjectId number);  // -1 closes every window

ObjectTable* window_table();
WindowRecord* find_window_record(ObjectId number);
// The number a toolkit window of this process carries, or -1.
ObjectId window_number_of(HWND window);
// Whether the window is the calling thread's own. A window of another
// thread whose input is attached to ours (an embedded program's) is not:
// focusing or activating it waits on that thread.
bool of_this_thread(HWND window);
// The window's kWindowIdProperty, remembered for windows of this thread.
std::intptr_t window_id_property(HWND window);
// The number that a value of kWindowIdProperty stands for; none for 0.
constexpr ObjectId window_number_from(std::intptr_t property) {
    return property ? property - 1 : kAllocateNumber;
}

// WM_NCDESTROY of a toolkit window: releases everything the window held.
LRESULT clean_up_window(HWND window);

void start_window_component();
void stop_window_component();

}  // namespace tessel
