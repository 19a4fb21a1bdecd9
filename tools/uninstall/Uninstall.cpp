// Uninstall: starts the system installer's removal of the product whose code is kept in
// .\ProductCode.ini ([ProductCode] Code=...). It reads no arguments, prints nothing, does
// not wait for the installer and always exits with 0.
#include <windows.h>

#include "InstallerPath.h"

int wmain(int, wchar_t**, wchar_t**) {
    // The product code is read only when the current directory can be determined.
    WCHAR currentDirectory[1024];
    WCHAR productCode[512] = L"";
    if (GetCurrentDirectoryW(1024, currentDirectory) != 0)
        GetPrivateProfileStringW(L"ProductCode", L"Code", L"", productCode, 512, L".\\ProductCode.ini");

    uninstall::StartRemoval(uninstall::SystemCalls(), productCode);
    return 0;
}
