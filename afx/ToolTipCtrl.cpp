#include "afx/ToolTipCtrl.h"

const CRuntimeClass CToolTipCtrl::classCToolTipCtrl{"CToolTipCtrl", 0xFFFF, nullptr, &CWnd::classCWnd};

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&classes);
    return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, nullptr);
}

TTTOOLINFOW CToolTipCtrl::ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, LPCWSTR lpszText) {
    // The size of the record that every comctl32 version accepts.
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    if (nIDTool == 0) {
        info.uFlags = TTF_IDISHWND;
        info.hwnd = ::GetParent(pWnd->m_hWnd);
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->m_hWnd);
    } else {
        info.hwnd = pWnd->m_hWnd;
        info.uId = nIDTool;
    }
    info.lpszText = const_cast<LPWSTR>(lpszText);
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, lpszText);
    if (lpRectTool != nullptr) {
        info.rect = *lpRectTool;
    } else if (nIDTool != 0) {
        pWnd->GetClientRect(&info.rect);
    }
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, lpszText);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
