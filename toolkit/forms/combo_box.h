// The combo box gadget: a one-line field with a drop-down list, editable or
// selection-only, optionally the extended class with item images. Its
// closed height is always the height the caller asked for.
#pragma once

#include "toolkit/gadgets/gadget.h"

namespace tessel {

// Flag bits the toolkit looks at; every flag also reaches the native style.
constexpr unsigned kComboEditable = CBS_DROPDOWN;   // 0x2
constexpr unsigned kComboExtended = 0x10000000;     // "ComboBoxEx32"
constexpr unsigned kComboUpperCase = CBS_UPPERCASE; // both skip the empty-list step
constexpr unsigned kComboLowerCase = CBS_LOWERCASE;

std::intptr_t create_combo_box(ObjectId number, int x, int y, int width, int height,
                               unsigned flags = 0);

// Closed height minus selection field height, measured at each creation.
int combo_frame_height();

}  // namespace tessel
