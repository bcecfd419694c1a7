// Types and values shared by every part of the toolkit and its programs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/window/object_table.h"

namespace tessel {

// A platform handle handed back by a create operation given an explicit
// number (window, font, menu), as a pointer-sized integer.
using NativeHandle = std::intptr_t;

// 0x00BBGGRR, the platform's COLORREF; -1 = no colour of one's own.
using Color = std::int32_t;
constexpr Color kNoColor = -1;

// Accepted for any coordinate or size by resize_gadget, and by open_window
// as "no position".
constexpr int kKeepCurrent = -65535;

// A window callback answers this to let the toolkit go on with a message.
constexpr LRESULT kCallbackDefault = static_cast<LRESULT>(0xE0E0E0E1u);
// The translator and the gadget hooks answer this to ask for the platform's
// default processing.
constexpr LRESULT kNotHandled = static_cast<LRESULT>(0xD0D0D0D1u);

using WindowCallback = LRESULT (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

inline HWND as_window(NativeHandle handle) { return reinterpret_cast<HWND>(handle); }
inline NativeHandle as_native(const void* handle) { return reinterpret_cast<NativeHandle>(handle); }

}  // namespace tessel
