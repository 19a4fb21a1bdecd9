// The bar's background pieces: one rounded pane of tinted glass with a dark outline, a light
// inner rim, a gloss on its upper half and a light strip above the buttons. The left and
// right pieces carry the pane's rounded ends, the middle piece repeats its straight run
// (everything in it changes only from top to bottom, so middle pieces tile without seams),
// and the single piece is a whole pane two cells wide.
#pragma once

#include "tools/canvas/Canvas.h"
#include "tools/skinart/SkinGeometry.h"
#include "tools/skinart/SkinPalette.h"

namespace skinart {

enum class BackgroundPiece { Left, Middle, Right, Single };

canvas::Canvas DrawBackground(BackgroundPiece piece, const SkinGeometry& geometry, const SkinPalette& palette);

}  // namespace skinart
