// Fonts: numbered fonts loaded by face and point size, the default gadget
// font, and gadget font dispatch.
#pragma once

#include "toolkit/types.h"

namespace tessel {

// load_font style bits.
constexpr unsigned kFontBold = 0x100;
constexpr unsigned kFontItalic = 0x200;
constexpr unsigned kFontUnderline = 0x4;
constexpr unsigned kFontStrikeOut = 0x8;
constexpr unsigned kFontProofQuality = 0x10;

constexpr std::intptr_t kDefaultGadgetFont = -1;

// Result: the new number for -1, else the font handle; 0 on failure.
std::intptr_t load_font(ObjectId number, const wchar_t* face, int points, unsigned style = 0);
HFONT font_handle(ObjectId number);
// font: a native font handle, or -1 for the default gadget font. Gadget -1
// sets the font that every gadget created afterwards receives.
void set_gadget_font(ObjectId gadget, std::intptr_t font);

HFONT default_gadget_font();
HFONT determine_default_gadget_font();
// The character height CreateFontW is asked for: points at the screen's
// vertical resolution, negative for a character (not cell) height.
int font_height_for(int points, int dots_per_inch);
int screen_vertical_dpi();

ObjectTable* font_table();
void start_font_component();
void stop_font_component();

}  // namespace tessel
