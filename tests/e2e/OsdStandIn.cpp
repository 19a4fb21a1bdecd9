// Stands in for the on-screen display program in the bar's tests: a hidden top-level window
// titled "PellamyOSD" that appends one line per notice (message 0x677) it receives to the file
// named on its command line: "<ms> 0x<wParam> 0x<lParam>", the time on the performance counter
// in milliseconds. The file is made empty at start. The program ends on WM_CLOSE.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"

namespace {

constexpr UINT kNoticeMessage = 0x677;

std::wstring g_log;

// Each line is written whole and the file closed again, so a reader never sees half a line.
void Append(WPARAM wParam, LPARAM lParam) {
    char line[96];
    const int length = std::snprintf(line, sizeof(line), "%.3f 0x%X 0x%X\n", testsupport::CounterMilliseconds(),
                                     static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
    HANDLE file = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kNoticeMessage:
            Append(wParam, lParam);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2)
        return 2;
    g_log = argv[1];
    LocalFree(argv);
    HANDLE file = CreateFileW(g_log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(file);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"OsdStandIn";
    if (!RegisterClassW(&windowClass))
        return 1;
    // Never shown, so that it covers nothing of the bar; the lookup by title finds it all the same.
    if (!CreateWindowExW(0, windowClass.lpszClassName, L"PellamyOSD", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, instance, nullptr))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
