// The tree gadget: the platform's tree view, with items addressed by their
// position in display order and a sublevel (depth) each. The gadget keeps
// an array of entries beside the control so that positions, item data and
// item colours survive.
#pragma once

#include "toolkit/gadgets/gadget.h"

#include <commctrl.h>

namespace tessel {

// Flag bits; they are not ORed into the native style.
constexpr unsigned kTreeNoButtons = 0x1;   // no buttons, no lines at root
constexpr unsigned kTreeNoLines = 0x2;
constexpr unsigned kTreeShowSelection = 0x20;  // selection stays visible without focus
constexpr unsigned kTreeCheckBoxes = 0x100;
constexpr unsigned kTreeThreeState = 0x10000;  // with check boxes

// get_item_state / set_item_state bits.
constexpr int kItemSelected = 0x1;
constexpr int kItemExpanded = 0x2;
constexpr int kItemChecked = 0x4;
constexpr int kItemCollapsed = 0x8;
constexpr int kItemThirdState = 0x10;

constexpr int kTreeArrayStep = 25;
constexpr int kItemSublevel = 1;  // get_item_attribute

struct TreeEntry {
    HTREEITEM handle;
    std::intptr_t data;
    Color front;  // -1 = the control's own
    Color back;
    std::uint8_t three_state;  // 1 while the item may show the third state
};

std::intptr_t create_tree(ObjectId number, int x, int y, int width, int height,
                          unsigned flags = 0);

// The dragged item's position since the last drag start, -1 before any.
int tree_drag_position();

}  // namespace tessel
