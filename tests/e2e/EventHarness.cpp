#include "EventHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "MessageBoxes.h"

namespace e2e {

UINT TrayNotifyMessage() {
    return RegisterWindowMessageW(L"WM_OnVanteloNotify");
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", value);
    return text;
}

size_t InjectEvent(const BarRun& run, unsigned code, std::vector<JournalLine>& journal) {
    const size_t from = run.Journal().size();
    std::string output;
    if (run.Ctl(L"event " + std::to_wstring(code), output) != 0)
        return kNoLine;
    return WaitForLine(
        run, from, [&](const JournalLine& l) { return IsCall(l, "Post", Hex(code)); }, journal);
}

bool WaitUntilBarIsIdle(HWND bar) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(bar, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
}

namespace {

// A pop-up menu on screen: the system's menu class.
bool IsShownPopupMenu(HWND window) {
    return testsupport::WindowClassName(window) == L"#32768" && IsWindowVisible(window);
}

void SendKey(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

}  // namespace

HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD milliseconds) {
    HWND found = nullptr;
    testsupport::WaitUntil(
        [&] {
            for (HWND icon : TrayIconWindows())
                if (std::find(before.begin(), before.end(), icon) == before.end()) {
                    found = icon;
                    return true;
                }
            return false;
        },
        milliseconds);
    return found;
}

POINT CenterOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MoveCursor(POINT at) {
    SetCursorPos(at.x, at.y);
}

void MouseButtons(std::initializer_list<DWORD> flags) {
    std::vector<INPUT> inputs;
    for (DWORD flag : flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flag;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD key) {
    SendKey(key, 0);
    SendKey(key, KEYEVENTF_KEYUP);
}

HWND WaitForPopupMenu(DWORD processId, DWORD milliseconds) {
    return testsupport::WaitForTopLevelWindow(processId, IsShownPopupMenu, milliseconds);
}

ScreenImage CaptureWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ScreenImage image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    if (image.width <= 0 || image.height <= 0)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        image.pixels.assign(pixels, pixels + image.width * image.height);
        for (uint32_t& pixel : image.pixels)
            pixel &= 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

ScreenImage CaptureOwnMenu(const wchar_t* text, bool isDefault, POINT at) {
    std::thread owner([&] {
        HWND window =
            CreateWindowExW(0, L"STATIC", L"menu owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, text);
        if (isDefault)
            SetMenuDefaultItem(menu, 0, TRUE);
        SetForegroundWindow(window);
        TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
        DestroyMenu(menu);
        DestroyWindow(window);
    });
    ScreenImage image;
    if (HWND menu = WaitForPopupMenu(GetCurrentProcessId(), 5000)) {
        // The menu is drawn once it is shown; a capture right away may find it half drawn.
        Sleep(200);
        image = CaptureWindow(menu);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    owner.join();
    return image;
}

namespace {

BOOL CALLBACK FindIconControl(HWND child, LPARAM lParam) {
    if (lstrcmpiW(testsupport::WindowClassName(child).c_str(), L"Static") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ScreenImage CaptureMessageBoxIcon(HWND box) {
    HWND icon = nullptr;
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&icon));
    return icon ? CaptureWindow(icon) : ScreenImage{};
}

ScreenImage CaptureOwnMessageBoxIcon(UINT type) {
    std::thread owner([type] { MessageBoxW(nullptr, L"icon", L"icon", type); });
    ScreenImage image;
    const std::vector<testsupport::MessageBoxInfo> boxes =
        testsupport::WaitForMessageBoxes(GetCurrentProcessId(), 5000);
    if (!boxes.empty()) {
        Sleep(200);
        image = CaptureMessageBoxIcon(boxes[0].window);
        testsupport::AnswerMessageBox(boxes[0], IDOK);
    }
    owner.join();
    return image;
}

VisibilityWatch::VisibilityWatch(HWND window) : window_(window) {
    thread_ = std::thread([this] {
        while (!stop_)
            if (!IsWindowVisible(window_))
                ++hidden_;
    });
}

VisibilityWatch::~VisibilityWatch() {
    Stop();
}

void VisibilityWatch::Stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::istringstream input(testsupport::WideToUtf8(testsupport::ReadWholeFile(path)));
    for (std::string line; std::getline(input, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void ParkCursor() {
    MoveCursor({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
}

}  // namespace e2e
