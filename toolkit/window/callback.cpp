#include "toolkit/window/callback.h"

namespace tessel {
namespace {

struct CallbackRecord {
    WindowCallback all_windows = nullptr;
    int reach = kReachOwnWindow;
};

CallbackRecord& callback_record() {
    static CallbackRecord record;
    return record;
}

bool reaches(int reach, bool own_message) { return own_message || reach == kReachChildren; }

}  // namespace

void start_callback_record() { callback_record() = CallbackRecord{}; }

void set_window_callback(WindowCallback callback) {
    callback_record() = {callback, kReachChildren};
}

void set_window_callback(ObjectId window, WindowCallback callback, int reach) {
    WindowRecord* record = find_window_record(window);
    if (!record) return;
    record->callback = callback;
    record->callback_reach = reach;
}

LRESULT run_callback_stage(HWND toolkit_window, const WindowRecord* record, HWND window,
                           UINT message, WPARAM wparam, LPARAM lparam) {
    const bool own_message = toolkit_window && window == toolkit_window;
    // A window's own callback, when it reaches this message, takes the place
    // of the all-windows one even when it answers the default.
    if (record && record->callback && reaches(record->callback_reach, own_message))
        return record->callback(window, message, wparam, lparam);
    const CallbackRecord& all = callback_record();
    if (all.all_windows && reaches(all.reach, own_message))
        return all.all_windows(window, message, wparam, lparam);
    return kCallbackDefault;
}

}  // namespace tessel
