// Data exchange between a dialog and its controls: DoDataExchange receives one of these,
// and DDX_Control binds a control of the dialog to its object.
#pragma once

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Subclasses control nIDC of the dialog with `rControl` (its PreSubclassWindow runs) the
// first time; later exchanges find it bound and leave it. A missing control leaves the
// object unbound.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
