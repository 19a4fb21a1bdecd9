// The bar's button set: which buttons the machine has, from the support-byte report that the
// embedded controller gives once at start, the counts taken from it, and the buttons' labels.
//
// Function button k (1 to 19) is control 999 + k and owns table entry k - 1; the hide button,
// number 50, is control 1100, has no entry and is always there.
#pragma once

#include <windows.h>

class CNewVanteloDlg;

constexpr int kSupportTableSize = 127;
constexpr int kFunctionButtons = 19;
constexpr int kCrtInDetectButton = 19;
constexpr int kHideButton = 50;
constexpr int kHideButtonControl = 1100;

constexpr int ButtonControl(int button) {
    return button == kHideButton ? kHideButtonControl : 999 + button;
}

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

// The support-byte handshake on register 0x75A, paced by 50 ms pauses; `dialog` owns the
// message box of a report that never starts.
void ReadSupportBytes(CNewVanteloDlg* dialog);

// The function buttons of the report that exist in the bar: 1 to this number.
int ReportedButtons();

// The start may go on: 1 to 19 buttons take a cell, no more than reported.
bool ButtonCountAccepted();

// The tool-tip label of a button (1 to 19, or 50), chosen by the model answers where two
// labels exist.
const WCHAR* ButtonLabel(int button);
