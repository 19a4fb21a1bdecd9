// The bar's background: the pieces that a bar of n visible buttons wears, blended onto its
// surface.
#pragma once

#include "skin/MemoryBitmap.h"

// One visible button wears the single piece; two the left and right pieces; any other count
// the left piece, n - 1 middle pieces and the right piece at the surface's right edge.
void BlendBackgroundPieces(MemoryBitmap& surface, int visibleButtons, const MemoryBitmap& left,
                           const MemoryBitmap& middle, const MemoryBitmap& right, const MemoryBitmap& single);
