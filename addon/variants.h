// The three add-on builds differ only in these four constants; the build
// picks one row with TESSEL_ADDON_VARIANT.
#pragma once

#include <array>

#include "toolkit/types.h"

namespace tessel::addon {

struct Variant {
    const wchar_t* title;  // also the executable's base name
    Color window_color;
    Color caption_front;
    Color caption_back;
};

constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;
constexpr Color kYellow = 0x00FFFF;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;

inline constexpr std::array kVariants{
    Variant{L"Emberpane", kRed, kWhite, kRed},
    Variant{L"Cobaltpane", kBlue, kWhite, kBlue},
    Variant{L"Saffronpane", kYellow, kBlack, kYellow},
};

// The programs pick their row at build time; tests and benchmarks, which
// build every row's window, define no variant.
#ifdef TESSEL_ADDON_VARIANT
constexpr Variant kVariant = kVariants[TESSEL_ADDON_VARIANT];
#endif

}  // namespace tessel::addon
