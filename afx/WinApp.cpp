#include "afx/WinApp.h"

#include "afx/Wnd.h"

const CRuntimeClass CWinApp::classCWinApp{"CWinApp", 0xFFFF, nullptr, &CCmdTarget::classCCmdTarget};

namespace {

CWinApp* g_app = nullptr;

std::wstring ProgramBaseName() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos && dot != 0)
        name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(LPCWSTR lpszAppName)
    : m_hInstance(::GetModuleHandleW(nullptr)),
      m_pszRegistryKey(nullptr),
      m_appName(lpszAppName != nullptr ? lpszAppName : ProgramBaseName()) {
    m_pszAppName = m_appName.c_str();
    if (g_app == nullptr)
        g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    m_registryKey = lpszRegistryKey != nullptr ? lpszRegistryKey : L"";
    m_pszRegistryKey = m_registryKey.c_str();
}

int CWinApp::Run() {
    MSG msg;
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1)
        afx::PumpMessage(msg);
    return got == 0 ? static_cast<int>(msg.wParam) : -1;
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app != nullptr ? g_app->m_pMainWnd : nullptr;
}

LPCWSTR AfxGetAppName() {
    if (g_app != nullptr)
        return g_app->m_pszAppName;
    static const std::wstring name = ProgramBaseName();
    return name.c_str();
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType) {
    CWnd* main = AfxGetMainWnd();
    return ::MessageBoxW(main != nullptr ? main->m_hWnd : nullptr, lpszText, AfxGetAppName(), nType);
}

int AfxWinMain(HINSTANCE hInstance) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = hInstance;
    return app->InitInstance() ? app->Run() : 0;
}
