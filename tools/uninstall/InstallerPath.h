// Where the system installer is, and its start with the removal switch. The platform calls
// come in through LauncherCalls so that their failures can be tried without breaking a system.
#pragma once

#include <windows.h>

#include <string>

namespace uninstall {

struct LauncherCalls {
    BOOL(WINAPI* specialFolderPath)(HWND owner, LPWSTR path, int folder, BOOL create);
    UINT(WINAPI* systemDirectory)(LPWSTR path, UINT size);
    HINSTANCE(WINAPI* shellExecute)
    (HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show);
};

// The calls of the running system.
LauncherCalls SystemCalls();

// msiexec.exe in the system folder: the special folder when that lookup gives one, else the
// system directory; empty when neither does. An empty path must not be started, since the
// bare "\msiexec.exe" would be looked up in the root of the current drive.
std::wstring InstallerPath(const LauncherCalls& calls);

// Starts the installer with " /x " and the product code, shown normally, without waiting;
// starts nothing when the installer's folder is unknown.
void StartRemoval(const LauncherCalls& calls, const std::wstring& productCode);

}  // namespace uninstall
