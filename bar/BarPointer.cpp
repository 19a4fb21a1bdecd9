// The bar between its start-up and its end, apart from events and commands: the repaint and
// auto-hide timers, the drag by the background, and the message filter that relays to the
// tool tips, swallows keys and keeps the bar up while the pointer moves over it.
#include "bar/Hardware.h"
#include "bar/NewVanteloDlg.h"

void CNewVanteloDlg::RearmAutoHide() {
    SetTimer(kAutoHideTimer, kAutoHidePeriod, nullptr);
}

void CNewVanteloDlg::OnTimer(UINT_PTR nIDEvent) {
    Default();
    if (nIDEvent == kRepaintTimer) {
        InvalidateRect(nullptr, TRUE);
    } else if (nIDEvent == kAutoHideTimer) {
        KillTimer(kAutoHideTimer);
        // A drag keeps the bar; the release re-arms the timer.
        if (g_bDragging)
            return;
        ShowWindow(SW_HIDE);
        ClearShownBit();
    }
}

// A press on the background drags the bar: the system's caption handling moves the window
// until the button is released.
void CNewVanteloDlg::OnLButtonDown(UINT, CPoint point) {
    g_bDragging = 1;
    ::PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    Default();
}

LRESULT CNewVanteloDlg::OnNcHitTest(CPoint) {
    return Default();
}

BOOL CNewVanteloDlg::PreTranslateMessage(MSG* pMsg) {
    ::SendMessageW(m_toolTip.m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
    switch (pMsg->message) {
        case WM_KEYDOWN:
            // No key presses a button or ends the bar, Enter and Esc included.
            return TRUE;
        case WM_LBUTTONDOWN:
            g_bDragging = 1;
            break;
        case WM_LBUTTONUP:
            g_bDragging = 0;
            RearmAutoHide();
            break;
        case WM_MOUSEMOVE:
            m_bIdle = 0;
            RearmAutoHide();
            break;
        default:
            // The first other message after the pointer's last move.
            if (m_bIdle == 0) {
                m_bIdle = 1;
                g_bDragging = 0;
                RearmAutoHide();
            }
            break;
    }
    return CDialog::PreTranslateMessage(pMsg);
}
