// Skin packages made by the test: every background piece in one flat colour and every button
// picture in another, so that one pixel of the bar's surface tells which package it wears.
#pragma once

#include <windows.h>

#include <string>

#include "skin/MemoryBitmap.h"

namespace bartest {

struct FlatSkin {
    int cellWidth;
    int cellHeight;
    int buttonSize;
    COLORREF background;  // opaque, so that the blend onto the cleared surface keeps it as it is
    COLORREF button;
};

// Writes the package with the pieces and the up and down pictures of every button the bar
// loads, the hide button's included.
void WriteFlatSkin(const std::wstring& path, const FlatSkin& skin);

// The colour of a pixel of a 32-bit bitmap; 0xFFFFFFFF outside it or when it is not opaque.
COLORREF OpaquePixel(const MemoryBitmap& bitmap, int x, int y);

}  // namespace bartest
