// The toolkit's start-up and exit chains, and the program's private heap.
#pragma once

#include <windows.h>

namespace tessel {

constexpr SIZE_T kPrivateHeapInitialSize = 4096;

// Creates the private heap and starts every component in its fixed order:
// runner, events, fonts, menus, windows, OLE, gadgets.
void start_toolkit();
// Stops them in reverse order (closing every window that is still open and
// deleting every font), then destroys the private heap.
void stop_toolkit();

// Growable; made on first need, so that what is allocated from it before
// start_toolkit stays valid.
HANDLE private_heap();

// A platform library loaded by name at run time, from the system directory
// only: a file of the same name beside the program is never taken instead.
HMODULE load_system_library(const wchar_t* name);

}  // namespace tessel
