// Winreap: posts WM_CLOSE to every top-level window of every process whose executable
// base name equals the command line, in any case of the letters a to z. It creates no
// window, runs no message loop, does not wait for the windows and always exits with 0.
#include <windows.h>

#include <psapi.h>

#include <cwchar>

namespace {

// The target name as the runtime start-up cut it from the command line.
LPWSTR g_pszTargetModule = nullptr;

constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

// Upper-cases a to z in place and leaves every other code unit as it is, so that the
// comparison does not depend on the locale.
void UpperCaseAscii(LPWSTR text) {
    for (; *text; ++text)
        if (*text >= L'a' && *text <= L'z')
            *text = static_cast<WCHAR>(*text - L'a' + L'A');
}

BOOL CALLBACK CloseMatchingWindowProc(HWND window, LPARAM) {
    WCHAR processName[MAX_PATH] = L"<unknown>";
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);

    HANDLE process = OpenProcess(kQueryAccess, FALSE, processId);
    if (!process)
        return TRUE;
    HMODULE executable = nullptr;
    DWORD bytesNeeded = 0;
    if (!EnumProcessModules(process, &executable, sizeof(executable), &bytesNeeded)) {
        CloseHandle(process);
        return TRUE;
    }
    GetModuleBaseNameW(process, executable, processName, MAX_PATH);
    CloseHandle(process);

    UpperCaseAscii(processName);
    UpperCaseAscii(g_pszTargetModule);
    // Code unit by code unit: lstrcmpW would compare linguistically.
    if (std::wcscmp(processName, g_pszTargetModule) == 0)
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    g_pszTargetModule = commandLine;
    EnumWindows(CloseMatchingWindowProc, 0);
    return 0;
}
