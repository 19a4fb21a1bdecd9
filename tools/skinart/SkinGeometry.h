// Cell and button sizes of the sample skins.
//
// The bar is one cell per visible button plus one for the hide button, at most 19 + 1 = 20
// cells, and it is centred on the full-screen width, so 20 cells must fit the narrowest
// screen that a package serves:
// - the "64" packages serve screens 1024 pixels wide and more: 20 x 48 = 960, which leaves
//   32 pixels on either side of a full bar;
// - the "50" packages serve the narrower screens, down to 800 pixels: 20 x 38 = 760, which
//   leaves 20 pixels on either side.
// The left background piece is one cell; the other pieces follow it (the single piece, worn
// by a bar of one button, spans that bar's two cells).
//
// Buttons are square: the bar takes the up image's height as the button's size across and
// down. A button sits (cell width - size) / 2 from its cell's sides and 3/4 of the spare
// height from the top: with a 48 x 56 cell and 40-pixel buttons that is 4 pixels from the
// sides, 12 from the top and 4 from the bottom, and the 12-pixel band above the buttons
// carries the bar's light strip. The narrow cells scale the same layout down (3, 9, 3).
#pragma once

namespace skinart {

struct SkinGeometry {
    int cellWidth;
    int cellHeight;
    int buttonSize;
};

constexpr SkinGeometry kWideScreenSkin{48, 56, 40};
constexpr SkinGeometry kNarrowScreenSkin{38, 44, 32};

constexpr int kMostCells = 20;

static_assert(kMostCells * kWideScreenSkin.cellWidth <= 1024);
static_assert(kMostCells * kNarrowScreenSkin.cellWidth <= 800);
static_assert(kWideScreenSkin.buttonSize <= kWideScreenSkin.cellWidth &&
              kWideScreenSkin.buttonSize < kWideScreenSkin.cellHeight);
static_assert(kNarrowScreenSkin.buttonSize <= kNarrowScreenSkin.cellWidth &&
              kNarrowScreenSkin.buttonSize < kNarrowScreenSkin.cellHeight);

}  // namespace skinart
