#include "toolkit/window/event_pump.h"

#include <mmsystem.h>

#include "toolkit/window/window.h"

namespace tessel {
namespace {

constexpr wchar_t kPostEventClass[] = L"PostEventClass";
constexpr wchar_t kUnlockMessageName[] = L"ZW_UnlockQueueEventMessage";
constexpr DWORD kWakeMask = QS_ALLINPUT | QS_ALLPOSTMESSAGE;
constexpr UINT kPeekFlags = PM_REMOVE | PM_NOYIELD;
constexpr UINT kTimerResolution = 1;

struct EventState {
    EventQueue queue;
    HWND post_window = nullptr;
    UINT unlock = 0;
    DWORD main_thread = 0;
    bool timer_raised = false;
};

EventState& state() {
    static EventState event_state;
    return event_state;
}

// Takes one message for any window of the thread within the time-out.
bool take_message(int timeout, MSG& message) {
    if (timeout < 0) {
        GetMessageW(&message, nullptr, 0, 0);
        return true;
    }
    if (PeekMessageW(&message, nullptr, 0, 0, kPeekFlags)) return true;
    if (timeout == 0) return false;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout), kWakeMask) ==
        WAIT_TIMEOUT)
        return false;
    return PeekMessageW(&message, nullptr, 0, 0, kPeekFlags);
}

// Only keyboard messages can be accelerators. Looking up the table asks the
// platform about windows, focus and keys, which under Wine is a round trip
// to its server each: no other message pays for it.
bool may_be_accelerator(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

bool is_alt(WPARAM key) { return key == VK_MENU || key == VK_LMENU || key == VK_RMENU; }

// Wine tracks "Alt pressed and released alone" in the default window
// procedure, which never sees a key that a control takes with Alt held
// (Alt+Down in a combo box): the release of Alt then opened the menu over
// the list just opened. A key-up of that key, handed to the default
// procedure, ends the tracking; for a key other than Alt and F10 it does
// nothing else, on Wine and on Windows.
void end_alt_alone(const MSG& message) {
    const bool alt_held = (HIWORD(message.lParam) & KF_ALTDOWN) != 0;
    if (message.message == WM_SYSKEYDOWN && alt_held && !is_alt(message.wParam))
        DefWindowProcW(message.hwnd, WM_SYSKEYUP, message.wParam, message.lParam);
}

void dispatch(MSG& message) {
    if (may_be_accelerator(message.message)) {
        HWND active = GetActiveWindow();
        HACCEL table = accelerator_table_for(active);
        if (table && TranslateAcceleratorW(active, table, &message)) {
            show_focus_cues(active);
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    end_alt_alone(message);
}

}  // namespace

EventQueue& main_event_queue() { return state().queue; }

int wait_event(int timeout) {
    if (int code = take_event(state().queue)) return code;
    MSG message{};
    if (!take_message(timeout, message)) return 0;
    dispatch(message);
    return static_cast<int>(message.message);
}

std::intptr_t event_gadget() { return state().queue.current_object; }
std::intptr_t event_type() { return state().queue.current_type; }
std::intptr_t event_window() { return state().queue.current_window; }

void post_event(int code, std::intptr_t object, std::intptr_t window, std::intptr_t type) {
    post_event(state().queue, code, object, window, type);
}

void suppress_events() { suppress_events(state().queue); }
void resume_events() { resume_events(state().queue); }

void delay(int milliseconds) {
    if (milliseconds < 0) return;
    if (!state().timer_raised) {
        timeBeginPeriod(kTimerResolution);
        state().timer_raised = true;
    }
    Sleep(static_cast<DWORD>(milliseconds));
}

bool timer_resolution_raised() { return state().timer_raised; }

HWND post_event_window() { return state().post_window; }
UINT unlock_message() { return state().unlock; }

LRESULT CALLBACK common_window_procedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
    LRESULT result = translate_window_message(window, message, wparam, lparam);
    if (result == kNotHandled) result = DefWindowProcW(window, message, wparam, lparam);
    SetLastError(0);
    return result;
}

void start_event_component() {
    EventState& s = state();
    if (s.post_window) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW post_class{};
    post_class.style = CS_DBLCLKS;
    post_class.lpfnWndProc = DefWindowProcW;
    post_class.hInstance = instance;
    post_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    post_class.lpszClassName = kPostEventClass;
    RegisterClassW(&post_class);
    s.post_window = CreateWindowExW(0, kPostEventClass, L"", WS_CAPTION, 0, 0, 1, 1, nullptr,
                                    nullptr, instance, nullptr);
    s.unlock = RegisterWindowMessageW(kUnlockMessageName);
    s.main_thread = GetCurrentThreadId();
}

void stop_event_component() {
    EventState& s = state();
    if (s.post_window) DestroyWindow(s.post_window);
    s.post_window = nullptr;
    UnregisterClassW(kPostEventClass, GetModuleHandleW(nullptr));
}

}  // namespace tessel
