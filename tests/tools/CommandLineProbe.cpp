// Writes the command line that wWinMain receives, as UTF-8, to the file named by the
// environment variable VANTELO_PROBE_OUT. Built with the same start-up as Winreap.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    WCHAR path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VANTELO_PROBE_OUT", path, MAX_PATH))
        return 2;
    const int length = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, text.data(), length, nullptr, nullptr);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() - 1), &written, nullptr);
    CloseHandle(file);
    return 0;
}
