// Compiled, not run: case 0 is a well-formed message map; every other case binds one
// handler with a wrong signature, which must be rejected by the compiler.
#include "afx/Afx.h"

#ifndef HANDLER_CASE
#define HANDLER_CASE 0
#endif

class Probe : public CDialog {
public:
    Probe() : CDialog(1) {}

protected:
#if HANDLER_CASE == 1
    void OnTimer(int id);  // the id is a UINT_PTR
#else
    void OnTimer(UINT_PTR id);
#endif
#if HANDLER_CASE == 2
    void OnHotkey(WPARAM wParam, LPARAM lParam);  // message entries return LRESULT
#else
    LRESULT OnHotkey(WPARAM wParam, LPARAM lParam);
#endif
#if HANDLER_CASE == 3
    void OnClicked(UINT id);  // commands take no arguments
#else
    void OnClicked();
#endif
#if HANDLER_CASE == 4
    BOOL OnEraseBkgnd(HDC dc);  // the device context comes as a CDC
#else
    BOOL OnEraseBkgnd(CDC* dc);
#endif
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Probe, CDialog)
ON_WM_TIMER()
ON_MESSAGE(WM_USER + 12, &Probe::OnHotkey)
ON_BN_CLICKED(1000, &Probe::OnClicked)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()
