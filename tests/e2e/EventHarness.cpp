#include "EventHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>

#include "MessageBoxes.h"

namespace e2e {

namespace {

// How long the harness waits for a window or a journal line that should come at once; only
// one that never comes exceeds it, also on a busy machine.
constexpr DWORD kShowBound = 10000;

}  // namespace

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
        run, from, [&](const JournalLine& l) { return IsCall(l, "Post", Hex(code)); }, journal, kShowBound);
}

bool WaitUntilBarIsIdle(HWND bar) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(bar, WM_NULL, 0, 0, SMTO_NORMAL, kShowBound, &answer) != 0;
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

ScreenImage CaptureSettled(HWND window, DWORD milliseconds) {
    auto detailed = [](const ScreenImage& image) {
        return std::adjacent_find(image.pixels.begin(), image.pixels.end(), std::not_equal_to<uint32_t>()) !=
               image.pixels.end();
    };
    ScreenImage last = CaptureWindow(window);
    ScreenImage now;
    const bool settled = testsupport::WaitUntil(
        [&] {
            now = CaptureWindow(window);
            const bool same = detailed(now) && now == last;
            last = now;
            return same;
        },
        milliseconds);
    return settled ? now : ScreenImage{};
}

namespace {

// A thread of the test that shows a window of its own (a menu, a message box) and ends when
// that window's loop ends. It holds only what it was given by value and its share of `done`,
// so a thread that does not end when told is left to itself without touching the caller.
class WindowThread {
public:
    template <typename Show>
    explicit WindowThread(Show show) : done_(std::make_shared<std::atomic<bool>>(false)) {
        thread_ = std::thread([show, done = done_] {
            show();
            *done = true;
        });
    }
    ~WindowThread() {
        if (*done_)
            thread_.join();
        else
            thread_.detach();
    }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    // Asks `end` until the thread has ended its window, for up to ten seconds.
    template <typename End>
    void EndWith(End end) {
        testsupport::WaitUntil(
            [&] {
                if (*done_)
                    return true;
                end();
                return false;
            },
            kShowBound);
    }

private:
    std::shared_ptr<std::atomic<bool>> done_;
    std::thread thread_;
};

}  // namespace

ScreenImage CaptureOwnMenu(const wchar_t* text, bool isDefault, POINT at) {
    const std::wstring label = text;
    auto owner = std::make_shared<std::atomic<HWND>>(nullptr);
    WindowThread menuThread([label, isDefault, at, owner] {
        HWND window =
            CreateWindowExW(0, L"STATIC", L"menu owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, label.c_str());
        if (isDefault)
            SetMenuDefaultItem(menu, 0, TRUE);
        *owner = window;
        SetForegroundWindow(window);
        TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
        DestroyMenu(menu);
        DestroyWindow(window);
    });
    ScreenImage image;
    if (HWND menu = WaitForPopupMenu(GetCurrentProcessId(), kShowBound))
        image = CaptureSettled(menu);
    // The owner's cancel ends the menu's loop, also one whose menu never showed.
    menuThread.EndWith([&] {
        if (HWND window = *owner)
            PostMessageW(window, WM_CANCELMODE, 0, 0);
    });
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
    return icon ? CaptureSettled(icon) : ScreenImage{};
}

ScreenImage CaptureOwnMessageBoxIcon(UINT type) {
    auto threadId = std::make_shared<std::atomic<DWORD>>(0);
    WindowThread boxThread([type, threadId] {
        *threadId = GetCurrentThreadId();
        MessageBoxW(nullptr, L"icon", L"icon", type);
    });
    ScreenImage image;
    const std::vector<testsupport::MessageBoxInfo> boxes =
        testsupport::WaitForMessageBoxes(GetCurrentProcessId(), kShowBound);
    if (!boxes.empty()) {
        image = CaptureMessageBoxIcon(boxes[0].window);
        testsupport::AnswerMessageBox(boxes[0], IDOK);
    }
    // A quit message ends the box's loop, also that of a box that has not shown yet.
    boxThread.EndWith([&] {
        if (const DWORD id = *threadId)
            PostThreadMessageW(id, WM_QUIT, 0, 0);
    });
    return image;
}

VisibilityWatch::VisibilityWatch(HWND window) : window_(window) {
    thread_ = std::thread([this] {
        while (!stop_) {
            if (!IsWindowVisible(window_))
                ++hidden_;
            else if (!IsIconic(window_))
                ++shown_;
            SwitchToThread();
        }
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

FrontWindow::FrontWindow() : created_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        HWND window = CreateWindowExW(0, L"STATIC", L"front", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 120, 80, nullptr,
                                      nullptr, nullptr, nullptr);
        window_ = window;
        SetEvent(created_);
        MSG message;
        while (window && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        if (window)
            DestroyWindow(window);
    });
    WaitForSingleObject(created_, INFINITE);
}

FrontWindow::~FrontWindow() {
    if (window_)
        PostMessageW(window_, WM_QUIT, 0, 0);
    thread_.join();
    CloseHandle(created_);
}

bool FrontWindow::TakeForeground(DWORD milliseconds) {
    if (!window_)
        return false;
    SetForegroundWindow(window_);
    return testsupport::WaitUntil([&] { return GetForegroundWindow() == window_; }, milliseconds);
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
