#include "bar/ButtonSet.h"

#include <algorithm>

#include "bar/Hardware.h"
#include "bar/NewVanteloDlg.h"
#include "bar/Settings.h"
#include "bar/SkinLayout.h"

namespace {

constexpr unsigned kMailbox = 0x75A;
constexpr unsigned kAcknowledge = 0xFF;
constexpr int kRetries = 10;

void Pause() {
    Sleep(kControllerPause);
}

int ReadMailbox() {
    return static_cast<int>(g_pTamsilEC->ReadEC(kMailbox, 0));
}

void Acknowledge() {
    g_pTamsilEC->WriteEC(kMailbox, kAcknowledge, 0);
}

bool IsWindows8() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExW(&version) && version.dwMajorVersion == 6 && version.dwMinorVersion == 2;
}

// Version 6.2 has no Bluetooth (button 1) and no 3G (button 6), whatever the controller says.
void ApplyWindows8Rule() {
    if (g_bWindows8) {
        g_supportBytes[0] = 0;
        g_supportBytes[5] = 0;
    }
}

// The button of entry k takes a cell. Buttons beyond the nineteenth do not exist, and the
// CRT-in-detect button exists only for a byte of exactly 1.
bool TakesACell(int entry) {
    if (entry >= kFunctionButtons)
        return false;
    if (entry == kCrtInDetectButton - 1)
        return g_supportBytes[entry] == 1;
    return g_supportBytes[entry] > 0;
}

// Up to ten more reads, each after a pause, while the value read is not above 0.
int RetryWhileNotPositive(int value) {
    for (int retry = 0; retry < kRetries && value <= 0; ++retry) {
        Pause();
        value = ReadMailbox();
    }
    return value;
}

// One byte after the count: read, pause, then the retries.
int ReadSupportByte() {
    const int value = ReadMailbox();
    Pause();
    return RetryWhileNotPositive(value);
}

void FailCount(CNewVanteloDlg* dialog) {
    IncrementRecordCounter(L"ErrorCount");
    dialog->MessageBox(L"Initial Support Byte Count error", L"Van Telo II", MB_OK);
    PostQuitMessage(0);
    Pause();
}

}  // namespace

void ReadSupportBytes(CNewVanteloDlg* dialog) {
    if (IsWindows8())
        g_bWindows8 = 1;
    g_pTamsilWMI->GetLong32(0x200, 0x80);
    Pause();

    g_nButtonTotal = 0;
    g_nButtonTotal = RetryWhileNotPositive(ReadMailbox());
    if (g_nButtonTotal <= 0) {
        FailCount(dialog);
        return;
    }
    Acknowledge();
    Pause();

    std::fill_n(g_supportBytes, std::min(g_nButtonTotal, kSupportTableSize), -1);
    g_nButtonVisible = 0;
    // Every reported byte is read and acknowledged, so the controller's report runs to its
    // end; bytes beyond the table's room are dropped.
    for (int k = 0; k < g_nButtonTotal; ++k) {
        const int value = ReadSupportByte();
        if (k < kSupportTableSize)
            g_supportBytes[k] = value;
        ApplyWindows8Rule();
        if (TakesACell(k))
            ++g_nButtonVisible;
        Acknowledge();
        Pause();
        g_bCrtInDetect = g_supportBytes[kCrtInDetectButton - 1] == 1;
        Pause();
    }
}

int ReportedButtons() {
    return std::clamp(g_nButtonTotal, 0, kFunctionButtons);
}

bool ButtonCountAccepted() {
    return g_nButtonVisible >= 1 && g_nButtonVisible <= kFunctionButtons && g_nButtonVisible <= g_nButtonTotal;
}

const WCHAR* ButtonLabel(int button) {
    static const WCHAR* const kLabels[kFunctionButtons] = {L"BlueTooth on / off", L"Sleep",
                                                           L"Verdel on / off",    L"CRT / LCD Switch",
                                                           L"Wireless on / off",  L"3G on  / off",
                                                           L"Webcam on / off",    L"Mute",
                                                           L"Volume down",        L"Volume up",
                                                           L"Brightness down",    L"Brightness up",
                                                           L"Caps Lock On/Off",   L"Num Lock On/Off",
                                                           L"Scroll Lock On/Off", L"Auto Adjust",
                                                           L"White balance",      L"Panel set default",
                                                           L"CRT in detect"};
    if (button == 3 && g_nPemroSkin == 1)
        return L"Ambrio on / off";
    if (button == 5 && g_bWindows8)
        return L"Radio on / off";
    if (button == kHideButton)
        return L"Hide to system tray";
    return button >= 1 && button <= kFunctionButtons ? kLabels[button - 1] : L"";
}
