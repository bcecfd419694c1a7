// Opens a file by its wide path through the CRT's checked call, the one
// that both MinGW-w64 and Visual C++ accept without a deprecation warning.
#pragma once

#include <cstdio>

inline std::FILE* open_file(const wchar_t* path, const wchar_t* mode) {
    std::FILE* file = nullptr;
    return _wfopen_s(&file, path, mode) == 0 ? file : nullptr;
}
