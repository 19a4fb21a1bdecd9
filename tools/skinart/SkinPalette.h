// The colours of a skin family: translucent glass for the bar and its keys, a light colour
// for the strip and for pressed keys, and the glyphs' colour.
#pragma once

#include "tools/canvas/Canvas.h"

namespace skinart {

struct SkinPalette {
    canvas::Color panelTop, panelBottom;
    canvas::Color accent;
    canvas::Color keyTop, keyBottom;
    canvas::Color pressedTop, pressedBottom;
    canvas::Color glyph;
};

// Night blue glass with an ice-blue light.
constexpr SkinPalette kVanteloPalette{{0.17f, 0.26f, 0.39f, 0.82f}, {0.04f, 0.08f, 0.15f, 0.90f},
                                      {0.38f, 0.82f, 1.00f, 1.00f}, {0.36f, 0.50f, 0.68f, 0.60f},
                                      {0.11f, 0.18f, 0.29f, 0.60f}, {0.03f, 0.07f, 0.13f, 0.80f},
                                      {0.09f, 0.20f, 0.33f, 0.80f}, {0.94f, 0.97f, 1.00f, 1.00f}};

// Smoked bronze glass with an amber light.
constexpr SkinPalette kPemroPalette{{0.33f, 0.22f, 0.15f, 0.82f}, {0.12f, 0.07f, 0.04f, 0.90f},
                                    {1.00f, 0.66f, 0.24f, 1.00f}, {0.60f, 0.45f, 0.33f, 0.60f},
                                    {0.26f, 0.16f, 0.10f, 0.60f}, {0.10f, 0.06f, 0.03f, 0.80f},
                                    {0.30f, 0.17f, 0.08f, 0.80f}, {1.00f, 0.97f, 0.92f, 1.00f}};

}  // namespace skinart
