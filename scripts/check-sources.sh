#!/usr/bin/env bash
# Keeps out of the sources what Visual C++ rejects at /W4 /WX and GCC does
# not: the C runtime's calls that it deprecates (C4996), an assignment used
# as a condition, even in double parentheses (C4706), a one-line warning
# suppression whose next line is a preprocessor line (it suppresses
# nothing), and direct calls of Windows functions newer than the project's
# _WIN32_WINNT (Windows 7), which the SDK's headers do not declare for it.
set -uo pipefail
cd "$(dirname "$0")/.."
# Without git, every source outside the build folder, which holds the Wine
# root (with /proc mounted in it while debootstrap makes it).
sources=$(git ls-files '*.cpp' '*.h' 2>/dev/null ||
          find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
deprecated='\b(strcpy|strcat|strncpy|strncat|wcscpy|wcscat|wcsncpy|wcsncat|sprintf|vsprintf|_snprintf|_snwprintf|scanf|fscanf|sscanf|swscanf|fwscanf|wscanf|fopen|_wfopen|freopen|_wfreopen|getenv|_wgetenv|strtok|wcstok|localtime|gmtime|ctime|asctime|mbstowcs|wcstombs|strdup|wcsdup|strerror|_open|_sopen|tmpnam|_wtmpnam)\s*\('
assignment='\b(if|while)\s*\(+\s*[][A-Za-z0-9_.>-]+\s*=[^=]'
newer='\b(GetSystemTimePreciseAsFileTime|GetDpiForWindow|GetDpiForSystem|GetDpiForMonitor|GetSystemMetricsForDpi|AdjustWindowRectExForDpi|SystemParametersInfoForDpi|SetProcessDpiAwarenessContext|SetThreadDpiAwarenessContext|GetThreadDpiAwarenessContext|SetProcessDpiAwareness|EnableNonClientDpiScaling|CreateFile2|GetCurrentThreadStackLimits|SetThreadDescription|GetPointerType|InitializeSynchronizationBarrier|WaitOnAddress|WakeByAddressSingle|VirtualAlloc2|GetOverlappedResultEx|PathCchCombine|PathCchAppend)\s*\('
found=0
if hits=$(echo "$sources" | xargs grep -nE "$deprecated" /dev/null); then
  echo "Deprecated C runtime calls (use the checked call, or the standard library):"
  echo "$hits"; found=1
fi
if hits=$(echo "$sources" | xargs grep -nE "$assignment" /dev/null); then
  echo "Assignments used as conditions (declare the variable in the condition, or compare):"
  echo "$hits"; found=1
fi
if hits=$(echo "$sources" | xargs awk 'prev ~ /#pragma warning\(suppress/ && /^[ \t]*#/ { print FILENAME ":" FNR - 1 ": " prev } { prev = $0 }'); [ -n "$hits" ]; then
  echo "One-line warning suppressions followed by a preprocessor line (push, disable and pop instead):"
  echo "$hits"; found=1
fi
if hits=$(echo "$sources" | xargs grep -nE "$newer" /dev/null); then
  echo "Windows functions newer than the project's _WIN32_WINNT (look them up at run time):"
  echo "$hits"; found=1
fi
[ $found -eq 0 ] && echo "Sources: no deprecated C runtime call, no assignment as a condition, no one-line warning suppression before a preprocessor line, no Windows function newer than Windows 7."
exit $found
