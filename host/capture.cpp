// Launching each add-on and capturing its window into its pane.
#include "host/slots.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/event_pump.h"

namespace tessel::host {
namespace {

constexpr int kPaneStart = 0;
constexpr int kPaneStartSize = 300;
constexpr unsigned kAddonStartFlags = kStartHidden | kStartKeepOpen;
constexpr int kPauseAfterStart = 100;  // ms
constexpr int kSearchPump = 1;         // ms per FindWindowW poll
// An add-on that has not shown its window by then is given up on; its pane
// stays empty and the process, if alive, is still ended at shutdown.
constexpr ULONGLONG kSearchLimit = 10'000;  // ms

// Every add-on joins one job that ends its processes when its last handle
// closes. The host holds that handle for its whole life, so a host that is
// killed, or crashes, takes its add-ons with it instead of leaving them
// running unseen; a normal shutdown still ends each one itself first.
HANDLE addon_job() {
    static HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made)
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return made;
    }();
    return job;
}

bool has_ended(const ProgramRecord* record) {
    return record && record->process && WaitForSingleObject(record->process, 0) == WAIT_OBJECT_0;
}

// A top-level window with the add-on's exact title that belongs to the
// process the host started: one of the same title from any other program
// (an add-on started by hand, say) is left where it is. Without a process
// to compare, the first window of that title is taken.
HWND find_addon_window(const AddonSlot& slot, const ProgramRecord* record) {
    const DWORD own = record && record->process ? GetProcessId(record->process) : 0;
    const wchar_t* title = slot.name.c_str();
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title); window;
         window = FindWindowExW(nullptr, window, nullptr, title)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (!own || process == own) return window;
    }
    return nullptr;
}

HWND search_window(const AddonSlot& slot) {
    const ProgramRecord* record = program_record(slot.program);
    const ULONGLONG started = GetTickCount64();
    HWND window = nullptr;
    while (!window) {
        window = find_addon_window(slot, record);
        // A close request taken here is dropped with every other event:
        // only one made after the last search ends the host.
        wait_event(kSearchPump);
        if (!window && (has_ended(record) || GetTickCount64() - started > kSearchLimit)) break;
    }
    return window;
}

}  // namespace

void launch_and_capture(int i) {
    AddonSlot& slot = slot_table()[static_cast<std::size_t>(i)];
    slot.container = as_window(create_container(i, kPaneStart, kPaneStart, kPaneStartSize,
                                                kPaneStartSize));
    close_gadget_list();
    const LONG style = GetWindowLongW(slot.container, GWL_STYLE);
    SetWindowLongW(slot.container, GWL_STYLE, style | WS_CLIPCHILDREN);

    const std::wstring directory = path_part(program_path());
    const std::wstring file = directory + L"Addon\\" + slot.name + L".exe";
    slot.program = start_program(file.c_str(), L"", directory.c_str(), kAddonStartFlags);
    if (const ProgramRecord* record = program_record(slot.program))
        if (HANDLE job = addon_job()) AssignProcessToJobObject(job, record->process);
    delay(kPauseAfterStart);
    if (!slot.program) return;

    slot.window = search_window(slot);
    if (!slot.window) return;
    // The platform attaches the add-on's input to the host's here, which
    // is what lets its controls take the keyboard (host/shared_input.cpp).
    SetParent(slot.window, slot.container);
    // The add-on's first ShowWindow takes the hidden start-up request on
    // Windows; show it without activating it and without waiting on it.
    if (!IsWindowVisible(slot.window)) ShowWindowAsync(slot.window, SW_SHOWNA);
}

}  // namespace tessel::host
