// CToolTipCtrl: a tool-tip control whose tools are windows of its parent.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "afx/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    static const CRuntimeClass classCToolTipCtrl;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCToolTipCtrl; }

    // A popup tool-tip window owned by the parent's top-level window.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    // With tool id 0 and no rectangle the tool is the window itself (TTF_IDISHWND), its
    // notifications go to the window's parent; otherwise it is a rectangle of the window
    // under that id. Not subclassed: the owner relays the mouse messages (TTM_RELAYEVENT).
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);

private:
    static TTTOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, LPCWSTR lpszText);
};
