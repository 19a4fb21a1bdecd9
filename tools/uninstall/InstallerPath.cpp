#include "InstallerPath.h"

#include <shellapi.h>
#include <shlobj.h>

namespace uninstall {

namespace {

std::wstring SystemFolder(const LauncherCalls& calls) {
    WCHAR folder[MAX_PATH] = L"";
    if (calls.specialFolderPath(nullptr, folder, CSIDL_SYSTEM, FALSE) && folder[0] != L'\0')
        return folder;
    // The result counts the characters copied, or the room needed when the buffer is too small.
    const UINT length = calls.systemDirectory(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(folder, length);
}

}  // namespace

LauncherCalls SystemCalls() {
    return {SHGetSpecialFolderPathW, GetSystemDirectoryW, ShellExecuteW};
}

std::wstring InstallerPath(const LauncherCalls& calls) {
    const std::wstring folder = SystemFolder(calls);
    return folder.empty() ? folder : folder + L"\\msiexec.exe";
}

void StartRemoval(const LauncherCalls& calls, const std::wstring& productCode) {
    const std::wstring installer = InstallerPath(calls);
    if (installer.empty())
        return;
    const std::wstring parameters = L" /x " + productCode;
    calls.shellExecute(nullptr, nullptr, installer.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace uninstall
