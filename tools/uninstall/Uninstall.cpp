// Uninstall: starts the system installer's removal of the product whose code is kept in
// .\ProductCode.ini ([ProductCode] Code=...). It reads no arguments, prints nothing, does
// not wait for the installer and always exits with 0.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

int wmain(int, wchar_t**, wchar_t**) {
    WCHAR systemFolder[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, systemFolder, CSIDL_SYSTEM, FALSE);

    WCHAR installer[512];
    wsprintfW(installer, L"%s\\msiexec.exe", systemFolder);

    // The product code is read only when the current directory can be determined.
    WCHAR currentDirectory[1024];
    WCHAR productCode[512] = L"";
    if (GetCurrentDirectoryW(1024, currentDirectory) != 0)
        GetPrivateProfileStringW(L"ProductCode", L"Code", L"", productCode, 512, L".\\ProductCode.ini");

    WCHAR parameters[1024];
    wsprintfW(parameters, L" /x %s", productCode);

    ShellExecuteW(nullptr, nullptr, installer, parameters, nullptr, SW_SHOWNORMAL);
    return 0;
}
