// The bar's button images: a rounded glass key with the glyph of its function. Up, the key is
// lit from above and the glyph is light; pressed, the key is sunk (shaded from the top), rimmed
// and lit from inside in the family's light colour, and the glyph glows in that colour one
// pixel lower.
#pragma once

#include "tools/canvas/Canvas.h"
#include "tools/skinart/SkinPalette.h"

namespace skinart {

// Function buttons are numbered 1 to 19 as on the bar; the hide button has the bar's number 50.
constexpr int kFunctionButtons = 19;
constexpr int kHideButton = 50;

canvas::Canvas DrawButton(int button, bool pressed, int size, const SkinPalette& palette);

}  // namespace skinart
