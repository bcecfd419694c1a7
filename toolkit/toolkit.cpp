#include "toolkit/toolkit.h"

#include <ole2.h>

#include <string>

#include "toolkit/forms/fonts.h"
#include "toolkit/forms/menus.h"
#include "toolkit/gadgets/gadget.h"
#include "toolkit/process/program_runner.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

HANDLE& heap() {
    static HANDLE private_heap_handle = nullptr;
    return private_heap_handle;
}

}  // namespace

HANDLE private_heap() {
    if (!heap()) heap() = HeapCreate(0, kPrivateHeapInitialSize, 0);
    return heap() ? heap() : GetProcessHeap();
}

HMODULE load_system_library(const wchar_t* name) {
    if (HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    // Windows 7 without its loader update refuses the flag: name the file
    // in the system directory instead.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(system, length) + L'\\' + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void start_toolkit() {
    private_heap();
    start_program_runner();
    start_event_component();
    start_font_component();
    start_menu_component();
    start_window_component();
    OleInitialize(nullptr);
    start_gadget_component();
}

void stop_toolkit() {
    stop_gadget_component();
    OleUninitialize();
    stop_window_component();
    stop_menu_component();
    stop_font_component();
    stop_event_component();
    if (heap()) HeapDestroy(heap());
    heap() = nullptr;
}

}  // namespace tessel
