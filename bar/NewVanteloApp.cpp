#include "bar/NewVanteloApp.h"

#include <commctrl.h>

#include "bar/NewVanteloDlg.h"

CNewVanteloApp theApp;

BEGIN_MESSAGE_MAP(CNewVanteloApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CNewVanteloApp::InitInstance() {
    // The handle stays open for the life of the process: it is what a second start sees.
    HANDLE instanceMutex = CreateMutexW(nullptr, FALSE, L"Vantelo II");
    if (!instanceMutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"本機 AppWizard 所產生的應用程式");

    CNewVanteloDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // FALSE: the dialog's modal loop was the program's main loop.
    return FALSE;
}
