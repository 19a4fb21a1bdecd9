// Winreap: posts WM_CLOSE to every top-level window of every process whose executable
// base name equals the command line, in any case of the letters a to z. It creates no
// window, runs no message loop, does not wait for the windows and always exits with 0.
#include <windows.h>

#include <psapi.h>

#include <cwchar>

#include "tamsil/Handle.h"

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

// Puts the base name of the process's executable into `name` (MAX_PATH characters), which
// keeps what it held when the name cannot be read; false when the process cannot be opened or
// its module list cannot be read.
bool ReadProcessName(DWORD processId, LPWSTR name) {
    const tamsil::UniqueHandle process(OpenProcess(kQueryAccess, FALSE, processId));
    if (!process)
        return false;
    HMODULE executable = nullptr;
    DWORD bytesNeeded = 0;
    if (!EnumProcessModules(process.Get(), &executable, sizeof(executable), &bytesNeeded))
        return false;
    GetModuleBaseNameW(process.Get(), executable, name, MAX_PATH);
    return true;
}

BOOL CALLBACK CloseMatchingWindowProc(HWND window, LPARAM) {
    WCHAR processName[MAX_PATH] = L"<unknown>";
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!ReadProcessName(processId, processName))
        return TRUE;

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
