// The bar dialog: one per-pixel-alpha layered window with the bar's buttons. Its
// OnInitDialog is the program's start-up road and its modal loop the program's main loop.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "afx/Afx.h"
#include "bar/ButtonSet.h"
#include "bar/Globals.h"
#include "skin/BaseButton.h"

// Timers of the bar window, both without a timer procedure.
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintPeriod = 500;
constexpr UINT_PTR kAutoHideTimer = 2;
constexpr UINT kAutoHidePeriod = 5000;

// The notice to the on-screen display program's window "PellamyOSD": wParam 0, lParam the
// notice code of the volume command.
constexpr UINT kOsdNotifyMessage = 0x677;
// The worker of a volume command: waits 300 ms, then posts the notice whose code is its
// argument, when the display program's window exists. Returns 0.
UINT __cdecl OsdNotifyThreadProc(LPVOID parameter);

class CNewVanteloDlg : public CDialog {
public:
    CNewVanteloDlg();
    ~CNewVanteloDlg() override = default;

    // Button k (1 to 19 and the hide button, 50) is control ButtonControl(k); the other
    // elements are never used.
    static constexpr int kButtonSlots = 51;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Clears the surface, blends the background pieces for the visible count and lets each
    // existing button draw itself into it: the bar's look, ready to present. False, and
    // nothing done, when the surface has no device context or no pixels.
    bool ComposeSurface();
    // When the CRT-in-detect button exists, asks the library whether detection is available
    // (query 0x2500) and enables or disables the button by the answer.
    void ApplyCrtInDetectRule();
    // A fresh 5 s before the bar hides itself.
    void RearmAutoHide();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnHotkeyEvent(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, CPoint point);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    LRESULT OnNcHitTest(CPoint point);
    LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
    void OnQuit();
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnQueryEndSession();
    UINT OnPowerBroadcast(UINT nPowerEvent, LPARAM lParam);

    // Button commands.
    void OnBluetooth();
    void OnSleep();
    void OnPowerFeature();
    void OnCrtLcdSwitch();
    void OnRadio();
    void On3G();
    void OnWebcam();
    void OnMute();
    void OnVolumeDown();
    void OnVolumeUp();
    void OnBrightnessDown();
    void OnBrightnessUp();
    void OnCapsLock();
    void OnNumLock();
    void OnScrollLock();
    void OnAutoAdjust();
    void OnWhiteBalance();
    void OnPanelSetDefault();
    void OnCrtInDetect();
    void OnHideToTray();

    DECLARE_MESSAGE_MAP()

private:
    void AddAboutEntry();
    bool StartHardwareLibrary();
    BOOL FailStart();
    void BindHardwareEvents();
    void CreateToolTips(int toolCount);
    void AddTrayIcon();
    void LookUpUpdateLayeredWindow();
    void ShowFromEvent();
    void WarnAboutCable();
    bool ShowTrayMenu();
    void RunFunctionAndRearm(unsigned long code);
    void RunVolumeFunction(unsigned long code, DWORD notice);
    void PressLockKeyAndRearm(BYTE key);

public:
    BLENDFUNCTION m_blend{};
    HMODULE m_hUser32 = nullptr;
    decltype(&::UpdateLayeredWindow) m_pfnUpdateLayeredWindow = nullptr;
    HICON m_hIcon = nullptr;
    int m_bIdle = 0;
    NOTIFYICONDATAW m_nid{};
    BaseButton m_btn[kButtonSlots];
    CWnd* m_pToolWnd[kButtonSlots] = {};
    CToolTipCtrl m_toolTip;
};
