// The bar's buttons: each runs one hardware function, presses a lock key, switches the
// display around the cable prompt, or hides the bar. A command that runs to its end gives
// the bar another five seconds.
#include "bar/Hardware.h"
#include "bar/LCDMS.h"
#include "bar/NewVanteloDlg.h"
#include "bar/Settings.h"
#include "bar/SkinLayout.h"

namespace {

constexpr int kFunctionMethod = 0x200;
constexpr int kCrtInDetectQuery = 0x2500;
constexpr DWORD kLockKeyHold = 200;

// Function codes of the buttons; the table is the hardware's, not a rule of the ids.
constexpr unsigned long kBluetooth = 0xD;
constexpr unsigned long kSleep = 0x1;
constexpr unsigned long kPowerFeature = 0x2;
constexpr unsigned long kCrtLcdSwitch = 0x3;
constexpr unsigned long kRadio = 0x4;
constexpr unsigned long k3G = 0x5;
constexpr unsigned long kWebcam = 0x7;
constexpr unsigned long kMute = 0x8;
constexpr unsigned long kVolumeDown = 0x9;
constexpr unsigned long kVolumeUp = 0xA;
constexpr unsigned long kBrightnessDown = 0xB;
constexpr unsigned long kBrightnessUp = 0xC;
constexpr unsigned long kAutoAdjust = 0x81;
constexpr unsigned long kWhiteBalance = 0x82;
constexpr unsigned long kPanelSetDefault = 0x83;
constexpr unsigned long kCrtInDetect = 0x84;

// On-screen display notices of the volume commands.
constexpr DWORD kMuteNotice = 0xA0;
constexpr DWORD kVolumeDownNotice = 0xAE;
constexpr DWORD kVolumeUpNotice = 0xB0;

void RunFunction(unsigned long code) {
    g_pTamsilWMI->GetLong32(kFunctionMethod, static_cast<int>(code));
}

void RunCablePrompt() {
    LCDMS prompt;
    prompt.DoModal();
}

void PressLockKey(BYTE key) {
    keybd_event(key, 0, 0, 0);
    Sleep(kLockKeyHold);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

// The code travels by value, so that commands within the pause each deliver their own.
UINT __cdecl OsdNotifyThreadProc(LPVOID parameter) {
    Sleep(300);
    if (HWND display = FindWindowW(nullptr, L"PellamyOSD"))
        PostMessageW(display, kOsdNotifyMessage, 0, static_cast<LPARAM>(reinterpret_cast<UINT_PTR>(parameter)));
    return 0;
}

void CNewVanteloDlg::RunFunctionAndRearm(unsigned long code) {
    RunFunction(code);
    RearmAutoHide();
}

void CNewVanteloDlg::RunVolumeFunction(unsigned long code, DWORD notice) {
    RunFunction(code);
    if (g_bVisScan)
        AfxBeginThread(OsdNotifyThreadProc, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(notice)),
                       THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
    RearmAutoHide();
}

void CNewVanteloDlg::PressLockKeyAndRearm(BYTE key) {
    PressLockKey(key);
    RearmAutoHide();
}

void CNewVanteloDlg::OnBluetooth() {
    RunFunctionAndRearm(kBluetooth);
}
void CNewVanteloDlg::OnSleep() {
    RunFunctionAndRearm(kSleep);
}
void CNewVanteloDlg::OnPowerFeature() {
    RunFunctionAndRearm(kPowerFeature);
}
void CNewVanteloDlg::OnRadio() {
    RunFunctionAndRearm(kRadio);
}
void CNewVanteloDlg::On3G() {
    RunFunctionAndRearm(k3G);
}
void CNewVanteloDlg::OnWebcam() {
    RunFunctionAndRearm(kWebcam);
}
void CNewVanteloDlg::OnMute() {
    RunVolumeFunction(kMute, kMuteNotice);
}
void CNewVanteloDlg::OnVolumeDown() {
    RunVolumeFunction(kVolumeDown, kVolumeDownNotice);
}
void CNewVanteloDlg::OnVolumeUp() {
    RunVolumeFunction(kVolumeUp, kVolumeUpNotice);
}
void CNewVanteloDlg::OnBrightnessDown() {
    RunFunctionAndRearm(kBrightnessDown);
}
void CNewVanteloDlg::OnBrightnessUp() {
    RunFunctionAndRearm(kBrightnessUp);
}
void CNewVanteloDlg::OnCapsLock() {
    PressLockKeyAndRearm(VK_CAPITAL);
}
void CNewVanteloDlg::OnNumLock() {
    PressLockKeyAndRearm(VK_NUMLOCK);
}
void CNewVanteloDlg::OnScrollLock() {
    PressLockKeyAndRearm(VK_SCROLL);
}
void CNewVanteloDlg::OnAutoAdjust() {
    RunFunctionAndRearm(kAutoAdjust);
}
void CNewVanteloDlg::OnWhiteBalance() {
    RunFunctionAndRearm(kWhiteBalance);
}
void CNewVanteloDlg::OnPanelSetDefault() {
    RunFunctionAndRearm(kPanelSetDefault);
}

// On the main skin family the cable prompt comes first; an attached cable then stops the
// switch.
void CNewVanteloDlg::OnCrtLcdSwitch() {
    if (g_nVanteloSkin == 1) {
        RunCablePrompt();
        Sleep(kControllerPause);
        if ((ReadCableRegister() & 1) != 0)
            return;
    }
    RunFunctionAndRearm(kCrtLcdSwitch);
}

// Detection that the machine says is unavailable disables the button instead.
void CNewVanteloDlg::OnCrtInDetect() {
    if (g_pTamsilWMI->GetLong32(kCrtInDetectQuery, 0) == 1) {
        m_btn[kCrtInDetectButton].EnableWindow(FALSE);
        return;
    }
    RunCablePrompt();
    Sleep(kControllerPause);
    RunFunctionAndRearm(kCrtInDetect);
}

void CNewVanteloDlg::OnHideToTray() {
    ShowWindow(SW_HIDE);
    ClearShownBit();
}
