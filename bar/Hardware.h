// The hardware conversation the bar has outside its commands: the event message, the
// registers, and the read-pause-write changes of the bar-state register.
#pragma once

#include <windows.h>

#include "bar/Globals.h"

// The message the event sink posts to the bar, with the event code in wParam.
constexpr UINT kHotkeyEventMessage = WM_USER + 12;

// The pause the bar gives the controller between its hardware calls, in milliseconds.
constexpr DWORD kControllerPause = 50;

// Bar-state register: bit 0 the bar is shown, bit 7 the bar program runs.
constexpr unsigned kBarStateRegister = 0x75B;

// Monitor-cable register: bit 0 is set while a monitor cable is attached.
constexpr unsigned kCableRegister = 0x79B;

// Each change reads the register, pauses 50 ms and writes it back with the one bit
// changed and the others as read; a change of the shown bit pauses 50 ms more.
void SetRunningBit();
void ClearRunningBit();
void SetShownBit();
void ClearShownBit();

// Reads the cable register; the controller is given 50 ms after each read.
unsigned ReadCableRegister();
