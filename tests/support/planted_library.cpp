// Stands in for a library of a system name put beside a program: the
// program ends with code 9 the moment it is loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ExitProcess(9);
    return TRUE;
}
