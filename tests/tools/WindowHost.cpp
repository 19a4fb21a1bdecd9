// A target for Winreap: opens visible and hidden top-level windows and counts the WM_CLOSE
// each receives, without closing. A WM_APP posted to its main thread makes it write one
// line per window, "<index> <visible|hidden> <closes>", to the log file and end.
// Usage: WindowHost LOGFILE VISIBLE HIDDEN READYEVENT (the event is set once the windows exist)
// [BUSYEVENT]: the host then takes no message until that event is set, as a busy program.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

std::vector<int> g_closes;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++g_closes[GetWindowLongPtrW(window, GWLP_USERDATA)];
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 5 && argc != 6)
        return 2;
    const int visible = _wtoi(argv[2]);
    const int hidden = _wtoi(argv[3]);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VanteloTestWindowHost";
    RegisterClassW(&windowClass);
    for (int i = 0; i < visible + hidden; ++i) {
        const DWORD style = WS_OVERLAPPEDWINDOW | (i < visible ? WS_VISIBLE : 0);
        HWND window = CreateWindowW(windowClass.lpszClassName, L"host", style, 10 * i, 10 * i, 120, 80, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, i);
        g_closes.push_back(0);
    }

    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
    SetEvent(ready);
    CloseHandle(ready);
    if (argc == 6) {
        // Bounded, so that a test that never releases the host does not leave it behind.
        HANDLE busy = OpenEventW(SYNCHRONIZE, FALSE, argv[5]);
        WaitForSingleObject(busy, 120000);
        CloseHandle(busy);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!message.hwnd && message.message == WM_APP)
            break;
        DispatchMessageW(&message);
    }

    FILE* log = _wfopen(argv[1], L"w");
    if (!log)
        return 1;
    for (size_t i = 0; i < g_closes.size(); ++i)
        std::fprintf(log, "%u %s %d\n", static_cast<unsigned>(i), static_cast<int>(i) < visible ? "visible" : "hidden",
                     g_closes[i]);
    std::fclose(log);
    return 0;
}
