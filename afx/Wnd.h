// CWnd: a window object attached to an HWND. Windows created or subclassed through the
// layer route every message through the object's message map; what the map does not
// handle goes to the window procedure that was there before (Default).
#pragma once

#include <windows.h>

#include "afx/MessageMap.h"

class CDataExchange;
class CMenu;

class CWnd : public CCmdTarget {
public:
    static const CRuntimeClass classCWnd;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCWnd; }

    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The permanent object of the window if it has one, else a temporary wrapper that
    // lives until the window is gone. Null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Attaches this object to an existing window and routes its messages through the
    // object; PreSubclassWindow runs first. FALSE when either is attached already.
    BOOL SubclassWindow(HWND hWnd);
    // Creates a window that routes through this object from its first message on.
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // Called for each queued message of this window or its children before it is
    // translated and dispatched; TRUE means it was handled and goes no further.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void PreSubclassWindow();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The previous window procedure on the message being handled.
    LRESULT Default();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Sends the message to every descendant window, children first.
    void SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const;

    CWnd* GetDlgItem(int nID) const;
    CWnd* GetParent() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // nFlags, when not 0, are SetWindowPos flags for a frame refresh after the change.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void SetWindowText(LPCWSTR lpszString);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void Invalidate(BOOL bErase = TRUE) { InvalidateRect(nullptr, bErase); }
    void UpdateWindow();
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    CMenu* GetSystemMenu(BOOL bRevert) const;
    BOOL SetForegroundWindow();
    // A message box owned by this window; without a caption it shows the application name.
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);
    // Centres a popup over its owner, or over the work area when the owner is hidden,
    // minimised or absent, keeping it inside the work area.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    // The layer has no tool tips of its own (tool tips come from CToolTipCtrl), so this
    // only answers that the request was taken.
    BOOL EnableToolTips(BOOL bEnable = TRUE);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A message that the parent reflects to this control (WM_DRAWITEM); TRUE when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Handlers of the message-map entries; each runs the default processing.
    void OnPaint() { Default(); }
    void OnDestroy() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    BOOL OnQueryEndSession() { return static_cast<BOOL>(Default()); }
    UINT OnPowerBroadcast(UINT, LPARAM) { return static_cast<UINT>(Default()); }
    // Reflects the owner-draw request to the control's object (its OnChildNotify).
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    // A top-level window passes the change on to all its descendants, then runs the default.
    LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    WNDPROC m_pfnSuper = nullptr;  // the window procedure before the layer's

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCreationHook(int, WPARAM, LPARAM);
    void AttachRouted(HWND hWnd);
    void DetachRouted();
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

namespace afx {

// Runs `create` so that the first window it creates on this thread is attached to `wnd`
// and routed through the layer from its first message on.
HWND CreateRouted(CWnd* wnd, HWND (*create)(void* context), void* context);

// Offers a queued message to PreTranslateMessage of its window and that window's parents
// up to the top-level window, then translates and dispatches it unless one took it.
void PumpMessage(MSG& msg);

}  // namespace afx
