// Stands in for the system installer. Writes its module path, command line and current
// folder as UTF-8 lines "module=", "command=", "folder=" to the file named by
// VANTELO_RECORDER_LOG, then waits for the event named by VANTELO_RECORDER_RELEASE and
// appends "released", so a test can tell whether its starter waited for it.
#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    WCHAR value[MAX_PATH] = L"";
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

void Append(const std::wstring& path, const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int wmain() {
    const std::wstring log = Environment(L"VANTELO_RECORDER_LOG");
    if (log.empty())
        return 2;
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    WCHAR folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    Append(log, std::wstring(L"module=") + module + L"\ncommand=" + GetCommandLineW() + L"\nfolder=" + folder);

    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, Environment(L"VANTELO_RECORDER_RELEASE").c_str());
    // Longer than the test gives its starter to end, so that a starter that waits is caught.
    if (WaitForSingleObject(release, 120000) == WAIT_OBJECT_0)
        Append(log, L"released");
    CloseHandle(release);
    return 0;
}
