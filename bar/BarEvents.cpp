// What reaches the bar from outside its own buttons: hardware hotkey events, the
// notification-area icon and its menu, display changes, power resume and the end of the
// session.
#include "bar/Hardware.h"
#include "bar/Log.h"
#include "bar/NewVanteloDlg.h"
#include "bar/SkinLayout.h"
#include "res/resource.h"

namespace {

constexpr WPARAM kShowEvent = 0xA0;
constexpr WPARAM kHideEvent = 0xA1;
constexpr WPARAM kCableWarningEvent = 0xA2;
constexpr WPARAM kCrtInDetectRefreshEvent = 0xA3;

}  // namespace

// The code is compared whole: a show code with any higher bit set is no show.
LRESULT CNewVanteloDlg::OnHotkeyEvent(WPARAM code, LPARAM) {
    switch (code) {
        case kShowEvent:
            ShowFromEvent();
            break;
        case kHideEvent:
            ShowWindow(SW_MINIMIZE);
            ShowWindow(SW_HIDE);
            ClearShownBit();
            break;
        case kCableWarningEvent:
            WarnAboutCable();
            break;
        case kCrtInDetectRefreshEvent:
            ApplyCrtInDetectRule();
            break;
        default:
            break;
    }
    return 0;
}

void CNewVanteloDlg::ShowFromEvent() {
    if (g_bDisplayChanged)
        ReloadSkinAndLayout(this);
    ShowWindow(SW_SHOW);
    ShowWindow(SW_SHOWNORMAL);
    SetShownBit();
    RearmAutoHide();
}

void CNewVanteloDlg::WarnAboutCable() {
    const WCHAR* text = L"Please switch to LCD and press Vantelo II CRT/LCD switch function then plug in monitor cable";
    if (g_bCrtInDetect) {
        m_btn[kCrtInDetectButton].EnableWindow(FALSE);
        text = L"Please switch to LCD and press Vantelo II CRT in detect function then plug in monitor cable";
    }
    MessageBox(text, L"Vantelo II", MB_OK | MB_ICONHAND | MB_TOPMOST);
}

LRESULT CNewVanteloDlg::OnTrayNotify(WPARAM, LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            // The register is left alone on this road.
            if (g_bDisplayChanged)
                ReloadSkinAndLayout(this);
            ShowWindow(SW_SHOWNORMAL);
            ShowWindow(SW_SHOW);
            SetForegroundWindow();
            RearmAutoHide();
            return 1;
        case WM_RBUTTONDOWN:
            return ShowTrayMenu() ? 1 : 0;
        default:
            return 1;
    }
}

// The icon's menu at the cursor, its one item "Quit" drawn bold; returns when the menu closes.
bool CNewVanteloDlg::ShowTrayMenu() {
    CMenu menu;
    if (!menu.LoadMenu(IDR_TRAYMENU))
        return false;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return false;
    // The text first: setting it resets the item's state, the default mark included.
    popup->ModifyMenu(ID_MENU_QUIT, MF_BYCOMMAND | MF_STRING, ID_MENU_QUIT, L"Quit");
    popup->SetDefaultItem(0, TRUE);
    POINT cursor;
    ::GetCursorPos(&cursor);
    SetForegroundWindow();
    popup->TrackPopupMenu(TPM_RIGHTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, this);
    return true;
}

// The new layout waits for the next show.
LRESULT CNewVanteloDlg::OnDisplayChange(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CDialog::OnDisplayChange(wParam, lParam);
    WriteLog(L"display change %d", GetSystemMetrics(SM_CXFULLSCREEN));
    g_bDisplayChanged = 1;
    return result;
}

void CNewVanteloDlg::OnQuit() {
    DestroyWindow();
}

// Agreed, the bar ends at once, during the query.
BOOL CNewVanteloDlg::OnQueryEndSession() {
    if (!Default())
        return FALSE;
    DestroyWindow();
    return TRUE;
}

UINT CNewVanteloDlg::OnPowerBroadcast(UINT nPowerEvent, LPARAM) {
    if (nPowerEvent == PBT_APMRESUMESUSPEND)
        ApplyCrtInDetectRule();
    return static_cast<UINT>(Default());
}
