// The skin the bar wears and where everything sits: the choice of package by the model
// answers and the screen width, the background pieces and button images, the bar's size,
// surface and position, and the buttons' slots; and the relayout after a display change.
#pragma once

#include <windows.h>

#include <vector>

#include "bar/Globals.h"
#include "skin/MemoryBitmap.h"

class CNewVanteloDlg;

// The package of a family for a screen width: the 64 variant from 1024 pixels on.
const WCHAR* SkinPackagePath(bool pemro, int screenWidth);

// The bar's top-left corner: centred across; centred down, or at the bottom (20 pixels below
// flush) for the Pemro family. Each half is truncated before the subtraction.
POINT BarOrigin(int barWidth, int barHeight, int screenWidth, int screenHeight, bool atBottom);

// Where a button of size `buttonSize` sits in cell `slot`.
POINT SlotOrigin(int slot, int cellWidth, int cellHeight, int buttonSize);

// What the layout does with one control, in the layout's order: give it a slot, or hide it.
struct ButtonPlacement {
    int control;
    int slot;  // kHidden: hidden, no slot
    bool operator==(const ButtonPlacement& other) const { return control == other.control && slot == other.slot; }
};
constexpr int kHidden = -1;

// The layout of the function buttons 1 to 19 and the hide button from the support bytes:
// supported buttons in order, the CRT-in-detect button right before button 5's place, the
// hide button last; the others hidden.
std::vector<ButtonPlacement> PlanButtonSlots(const int* supportBytes, int buttonTotal, bool crtInDetect);

// Start-up: asks the model answers and loads the chosen package.
void ChooseSkin();
// The four background pieces from the loaded package; false when the left piece has none.
bool LoadBackgroundPieces();
// Each reported button's and the hide button's up and down images, each button then sized.
void LoadButtonImages(CNewVanteloDlg& dialog);
// The bar's size and a new surface of it, and the bar's place; `showFlag` is
// SWP_SHOWWINDOW or SWP_HIDEWINDOW.
void SizeAndPlaceBar(CNewVanteloDlg& dialog, UINT showFlag);
// Every button in its slot or hidden.
void LayOutButtons(CNewVanteloDlg& dialog);

// After a display change: the skin, images, size, position and slots again for the new
// screen, with the stored model answers and support bytes; the bar is left hidden for the
// caller to show, and the package is released.
void ReloadSkinAndLayout(CNewVanteloDlg* dialog);
