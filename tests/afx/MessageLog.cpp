#include "MessageLog.h"

#include <cstdio>

namespace afxtest {

std::string MessageName(UINT message) {
    switch (message) {
        case WM_KEYDOWN:
            return "WM_KEYDOWN";
        case WM_CHAR:
            return "WM_CHAR";
        case WM_SHOWWINDOW:
            return "WM_SHOWWINDOW";
        case WM_TIMER:
            return "WM_TIMER";
        case WM_CLOSE:
            return "WM_CLOSE";
        case WM_COMMAND:
            return "WM_COMMAND";
        case WM_NCCREATE:
            return "WM_NCCREATE";
        case WM_CREATE:
            return "WM_CREATE";
        case WM_INITDIALOG:
            return "WM_INITDIALOG";
        case WM_DISPLAYCHANGE:
            return "WM_DISPLAYCHANGE";
        default:
            break;
    }
    char text[32];
    if (message >= WM_APP && message < WM_APP + 0x100)
        std::snprintf(text, sizeof(text), "WM_APP+%u", message - WM_APP);
    else
        std::snprintf(text, sizeof(text), "0x%X", message);
    return text;
}

void MessageLog::Add(const std::string& who, const std::string& what, UINT message, WPARAM wParam) {
    Add(who + " " + what + " " + MessageName(message) + " " + std::to_string(wParam));
}

std::vector<std::string> MessageLog::With(const std::string& word) const {
    std::vector<std::string> found;
    for (const std::string& line : lines_) {
        if (line.find(word) != std::string::npos)
            found.push_back(line);
    }
    return found;
}

MessageLog& ClassLog() {
    static MessageLog log;
    return log;
}

namespace {

LRESULT CALLBACK TestClassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP && message < WM_APP + 0x100) {
        ClassLog().Add("class", "proc", message, wParam);
        if (message == WM_APP + 50)
            return 42;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

LPCWSTR TestWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestClassProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"AfxTestWindow";
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        return RegisterClassW(&wc);
    }();
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}

int TakeQuit() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return static_cast<int>(msg.wParam);
    return -1;
}

}  // namespace afxtest
