#include "afx/DataExchange.h"

#include "afx/Wnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr)
        return;
    if (HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC))
        rControl.SubclassWindow(control);
}
