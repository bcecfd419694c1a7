// The add-on's window: every gadget, colour, font and the menu, built in a
// fixed order. Shared by the three builds, their tests and the benchmark.
#pragma once

#include "addon/variants.h"

namespace tessel::addon {

// Object numbers.
constexpr ObjectId kWindow = 0;
constexpr ObjectId kCaption = 1;
constexpr ObjectId kUpperCombo = 2;
constexpr ObjectId kDisconnectButton = 3;
constexpr ObjectId kRefreshButton = 4;
constexpr ObjectId kLowerCombo = 5;
constexpr ObjectId kTree = 6;
constexpr ObjectId kEditor = 7;
constexpr ObjectId kMenuBar = 8;
constexpr int kOpenSettingsItem = 16;

constexpr int kWindowX = 1332, kWindowY = 203, kWindowWidth = 553, kWindowHeight = 712;
constexpr unsigned kWindowFlags = WS_POPUP;  // no caption, no border

// Nothing is checked: a step that fails leaves its object missing and the
// later steps still run.
void build_window(const Variant& variant);

}  // namespace tessel::addon
