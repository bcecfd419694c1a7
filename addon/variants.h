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

constexpr std::array kVariants{
    Variant{L"Emberpane", kRed, kWhite, kRed},
    Variant{L"Cobaltpane", kBlue, kWhite, kBlue},
    Variant{L"Saffronpane", kYellow, kBlack, kYellow},
};

#ifndef TESSEL_ADDON_VARIANT
#error "TESSEL_ADDON_VARIANT selects the build: 0 Emberpane, 1 Cobaltpane, 2 Saffronpane"
#endif
constexpr Variant kVariant = kVariants[TESSEL_ADDON_VARIANT];

}  // namespace tessel::addon
