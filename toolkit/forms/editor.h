// The editor gadget: a multi-line plain-text area on the platform's
// rich-edit control, with focus events, optional Tab navigation and a
// themed border of its own.
#pragma once

#include "toolkit/gadgets/gadget.h"

namespace tessel {

// Flag bits; they do not reach the native style.
constexpr unsigned kEditorReadOnly = 0x1;
constexpr unsigned kEditorWordWrap = 0x2;
constexpr unsigned kEditorTabNavigation = 0x4;

// Attributes.
constexpr int kEditorReadOnlyAttribute = 1;
constexpr int kEditorWordWrapAttribute = 2;

// 0 when no rich-edit class can be created.
std::intptr_t create_editor(ObjectId number, int x, int y, int width, int height,
                            unsigned flags = 0);

}  // namespace tessel
