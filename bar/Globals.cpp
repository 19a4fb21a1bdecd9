#include "bar/Globals.h"

#include <algorithm>
#include <memory>
#include <new>

#include "skin/SkinPack.h"

TamsilWMI* g_pTamsilWMI = nullptr;
TamsilEC* g_pTamsilEC = nullptr;
TamsilWMIEvent* g_pTamsilWMIEvent = nullptr;

const UINT g_nTrayNotifyMsg = RegisterWindowMessageW(L"WM_OnVanteloNotify");

int g_supportBytes[kSupportTableSize] = {};
int g_nButtonTotal = 0;
int g_nButtonVisible = 0;
int g_bWindows8 = 0;
bool g_bCrtInDetect = false;

int g_nVanteloSkin = 0;
int g_nPemroSkin = 0;

int g_nBarWidth = 0;
int g_nBarHeight = 0;
MemoryBitmap g_bmpLeftBg;
MemoryBitmap g_bmpMiddleBg;
MemoryBitmap g_bmpRightBg;
MemoryBitmap g_bmpSingleBg;
MemoryBitmap g_bmpSurface;

int g_nBarAlpha = 0;
int g_bDragging = 0;
int g_bDisplayChanged = 0;

int g_bVisScan = 0;

namespace {

// A record can be neither copied nor moved: it is ended and made again, which releases its
// device context and DIB section and leaves every field zero, as at program start.
void MakeEmpty(MemoryBitmap& picture) {
    std::destroy_at(&picture);
    ::new (&picture) MemoryBitmap();
}

template <typename T>
void DeleteAndClear(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

void ResetBarGlobals() {
    std::fill_n(g_supportBytes, kSupportTableSize, 0);
    g_nButtonTotal = 0;
    g_nButtonVisible = 0;
    g_bWindows8 = 0;
    g_bCrtInDetect = false;
    g_nVanteloSkin = 0;
    g_nPemroSkin = 0;
    g_nBarWidth = 0;
    g_nBarHeight = 0;
    for (MemoryBitmap* picture : {&g_bmpLeftBg, &g_bmpMiddleBg, &g_bmpRightBg, &g_bmpSingleBg, &g_bmpSurface})
        MakeEmpty(*picture);
    g_nBarAlpha = 0;
    g_bDragging = 0;
    g_bDisplayChanged = 0;
    g_bVisScan = 0;
    ReleaseSkinPack();
}

// The event sink first: its thread posts to the bar and must stop before anything else goes.
void ReleaseHardwareObjects() {
    DeleteAndClear(g_pTamsilWMIEvent);
    DeleteAndClear(g_pTamsilEC);
    DeleteAndClear(g_pTamsilWMI);
}
