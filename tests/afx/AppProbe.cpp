// A program on the layer's entry point. Its command line is "<report file> true|false":
// InitInstance writes the application's name and registry key into the report, then
// either returns FALSE, or posts WM_QUIT with 7 and returns TRUE so that the message loop
// runs and ends with that code.
#include <cstdio>
#include <string>

#include "afx/Afx.h"

#include <shellapi.h>

class ProbeApp : public CWinApp {
public:
    BOOL InitInstance() override {
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        if (count < 3)
            return FALSE;
        AfxEnableControlContainer();
        SetRegistryKey(L"Probe Key");
        if (FILE* report = _wfopen(args[1], L"w")) {
            std::fwprintf(report, L"%ls|%ls", m_pszAppName, m_pszRegistryKey);
            std::fclose(report);
        }
        const bool run = std::wstring(args[2]) == L"true";
        LocalFree(args);
        if (run)
            PostQuitMessage(7);
        return run ? TRUE : FALSE;
    }
};

ProbeApp theApp;
