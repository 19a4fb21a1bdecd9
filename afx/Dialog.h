// CDialog: a dialog created from its template, run modally by DoModal with the layer's
// own modal loop.
#pragma once

#include "afx/Wnd.h"

class CDialog : public CWnd {
public:
    static const CRuntimeClass classCDialog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCDialog; }

    // Without a parent the owner is the application's main window (AfxGetMainWnd).
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Disables the owner, creates the dialog and runs the modal loop until EndDialog, the
    // window's destruction or WM_QUIT (which is posted again), then re-enables the owner
    // and destroys the window. Returns the EndDialog result, else -1.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Runs DoDataExchange; TRUE lets the dialog manager focus the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();      // UpdateData(TRUE), then EndDialog(IDOK)
    virtual void OnCancel();  // EndDialog(IDCANCEL)

    // Keyboard messages get the dialog manager's navigation (IsDialogMessage).
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Commands the dialog does not handle go on to the application object.
    bool OnCmdMsg(UINT id, UINT code) override;

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    HWND FindOwner() const;
    void RunModalLoop();
    bool ShouldCentre() const;

    bool m_bModal = false;          // DoModal runs
    bool m_bContinueModal = false;  // the modal loop goes on
    bool m_bQuit = false;           // the loop took WM_QUIT
    int m_nQuitCode = 0;
    INT_PTR m_nModalResult = -1;
};
