// CWinApp: the one application object. The layer's program entry point (wWinMain, target
// afx_entry; link with -municode) runs its InitInstance: FALSE ends the program at once,
// TRUE runs the message loop until WM_QUIT.
#pragma once

#include <string>

#include "afx/CmdTarget.h"

class CWnd;

// The framework's command id of the Help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    static const CRuntimeClass classCWinApp;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCWinApp; }

    // Without a name the application is named after the program file (its base name).
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop; returns the exit code that WM_QUIT carries.
    virtual int Run();

    // Names the registry key under which the application would keep its profile.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    // ID_HELP: the programs ship no help file, so there is nothing to open.
    void OnHelp() {}

    HINSTANCE m_hInstance;
    LPCWSTR m_pszAppName;      // points into m_appName
    LPCWSTR m_pszRegistryKey;  // null until SetRegistryKey
    // Destroying this window posts WM_QUIT and clears the pointer.
    CWnd* m_pMainWnd = nullptr;

private:
    std::wstring m_appName;
    std::wstring m_registryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's name, or the program file's base name when there is no application.
LPCWSTR AfxGetAppName();

// A message box owned by the main window, with the application name as caption.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK);

// The layer hosts no ActiveX controls; the call is accepted and changes nothing.
inline void AfxEnableControlContainer() {}

// What the entry point runs: InitInstance, then Run when it returned TRUE.
int AfxWinMain(HINSTANCE hInstance);
