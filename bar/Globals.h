// Every global the bar keeps, in one place: what it holds, and how a run of the bar starts
// them. The bar's code reads and writes them directly, as its handlers run on one thread.
#pragma once

#include <windows.h>

#include "skin/MemoryBitmap.h"
#include "tamsil/TamsilIO.h"

// Entries in the support-byte table, far more than the buttons that exist.
constexpr int kSupportTableSize = 127;

// Hardware library objects, made at start-up and kept for the program's life.
extern TamsilWMI* g_pTamsilWMI;
extern TamsilEC* g_pTamsilEC;
extern TamsilWMIEvent* g_pTamsilWMIEvent;

// Id of the registered message "WM_OnVanteloNotify", the notification-area icon's callback;
// registered at static initialisation and constant from then on.
extern const UINT g_nTrayNotifyMsg;

// Entry k - 1: the support byte of button k as the controller reported it (0: the machine
// lacks the button); -1 while the report runs and the byte is not yet read; 0 beyond the
// reported count.
extern int g_supportBytes[kSupportTableSize];
// How many support bytes the controller reports.
extern int g_nButtonTotal;
// How many buttons take a cell in the bar: the function buttons that exist and are supported.
extern int g_nButtonVisible;
// 1 when the system is version 6.2, whose bar has no Bluetooth and no 3G button.
extern int g_bWindows8;
// The CRT-in-detect button (19, control 1018) exists: its byte is exactly 1.
extern bool g_bCrtInDetect;

// The hardware's answers to queries 0x1900 (1: the Vantelo family) and 0x2000 (1: the Pemro
// family, placed at the bottom of the screen), asked once at start.
extern int g_nVanteloSkin;
extern int g_nPemroSkin;

// The bar's size in pixels, its four background pieces (the left piece's size is the cell
// size) and the composite surface that each paint composes.
extern int g_nBarWidth;
extern int g_nBarHeight;
extern MemoryBitmap g_bmpLeftBg;
extern MemoryBitmap g_bmpMiddleBg;
extern MemoryBitmap g_bmpRightBg;
extern MemoryBitmap g_bmpSingleBg;
extern MemoryBitmap g_bmpSurface;

// The bar's constant alpha; its low byte is applied at every paint.
extern int g_nBarAlpha;
// 1 while the left button is down on the bar or one of its buttons: the bar does not hide.
extern int g_bDragging;
// 1 once the display has changed; from then on every show lays the bar out anew first.
extern int g_bDisplayChanged;

// 1 once the installed version was found to be the one expected for the machine; set at most
// once, at start, and never cleared. Enables the on-screen notice of the volume commands.
extern int g_bVisScan;

// Every global above back to its value at program start: counts, flags and answers 0, the
// pictures empty (no pixels, no device context), the loaded skin package released. The
// hardware objects are not touched (see ReleaseHardwareObjects) and the message id stays.
void ResetBarGlobals();

// Deletes the three hardware objects, which stops the event sink's thread, and clears their
// pointers. The program never calls it: its objects live until the process ends. A host that
// runs the bar more than once in one process calls it after each run.
void ReleaseHardwareObjects();
