#include "bar/Hardware.h"

namespace {

void ChangeBarState(unsigned orMask, unsigned andMask, bool pauseAfterWrite) {
    const unsigned value = g_pTamsilEC->ReadEC(kBarStateRegister, 0);
    Sleep(kControllerPause);
    g_pTamsilEC->WriteEC(kBarStateRegister, (value | orMask) & andMask, 0);
    if (pauseAfterWrite)
        Sleep(kControllerPause);
}

}  // namespace

void SetRunningBit() {
    ChangeBarState(0x80, 0xFF, false);
}
void ClearRunningBit() {
    ChangeBarState(0x00, 0x7F, false);
}
void SetShownBit() {
    ChangeBarState(0x01, 0xFF, true);
}
void ClearShownBit() {
    ChangeBarState(0x00, 0xFE, true);
}

unsigned ReadCableRegister() {
    const unsigned value = g_pTamsilEC->ReadEC(kCableRegister, 0);
    Sleep(kControllerPause);
    return value;
}
