// The bar's surface as it must look in the sample skin worn on a wide screen: built from the
// package's own pieces and button pictures, blended where the bar must put them, for byte by
// byte comparisons with what the bar composed.
#pragma once

#include <string>
#include <vector>

#include "skin/MemoryBitmap.h"

namespace bartest {

// Cells of 48 x 56, buttons of 40, so slot M sits at (48 M + 4, 12).
constexpr int kCell = 48;
constexpr int kCellHeight = 56;
constexpr int kSlotX = 4;
constexpr int kSlotY = 12;
constexpr int kButtonSize = 40;

struct Piece {
    std::wstring entry;
    int x;
};

struct ButtonAt {
    std::wstring entry;
    int slot;
};

// The surface as it must look: transparent black, the pieces, then the buttons. Loads the
// wide Vantelo package of the current folder.
class ExpectedSurface {
public:
    explicit ExpectedSurface(int cells);

    void Pieces(const std::vector<Piece>& pieces);
    void Buttons(const std::vector<ButtonAt>& buttons);
    const MemoryBitmap& Surface() const { return surface_; }

private:
    void Blend(const std::wstring& entry, int x, int y);

    MemoryBitmap surface_;
};

// Index of the first byte where the two surfaces differ, or -1; 0 when their sizes differ or
// either has no pixels.
long FirstDifference(const MemoryBitmap& actual, const MemoryBitmap& expected);

// The pieces and buttons of a bar with all nineteen function buttons: buttons 1 to 4 in slots
// 0 to 3, the CRT-in-detect button before button 5, then 5 to 18, the hide button last.
std::vector<Piece> NineteenButtonPieces();
std::vector<ButtonAt> NineteenButtons();

}  // namespace bartest
