// What the tests of the bar's outside events need beyond starting it: hotkey events that are
// known to be queued, the bar's notification-area icon and real input on it, the icon's menu
// as another process sees it, and a watch over the bar's visibility.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "BarHarness.h"

namespace e2e {

// The message that the hardware event object posts to the bar, and the icon's callback.
constexpr UINT kHotkeyEventMessage = WM_USER + 12;
UINT TrayNotifyMessage();

// Injects a hotkey event through tamsilctl and waits until the library has posted it to the
// bar; the index of the "Post" line, kNoLine when the post did not come.
size_t InjectEvent(const BarRun& run, unsigned code, std::vector<JournalLine>& journal);

// "0xA0" as the journal writes numbers.
std::string Hex(unsigned value);

// Waits until the bar's thread takes messages again: a sent message is answered only
// after the handler that runs now has returned.
bool WaitUntilBarIsIdle(HWND bar);

// An icon window that is not among `before`, waited for up to `milliseconds`; null when none.
HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD milliseconds);
POINT CenterOf(HWND window);

// Real input through the system's input queue, as a user's mouse and keyboard give it.
void MoveCursor(POINT at);
// Button changes at the cursor, given together as one gesture: MOUSEEVENTF_LEFTDOWN, ...
void MouseButtons(std::initializer_list<DWORD> flags);
void PressKey(WORD key);

// The visible pop-up menu window (class "#32768") of the process, waited for; null when none.
HWND WaitForPopupMenu(DWORD processId, DWORD milliseconds);

// The pixels of a window's rectangle as the screen shows them.
struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down
    bool operator==(const ScreenImage& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
};
ScreenImage CaptureWindow(HWND window);
// The window's pixels once drawing has ended: two captures in a row that agree and show more
// than one colour (a window just mapped shows its background alone). Empty when that does
// not happen within `milliseconds`.
ScreenImage CaptureSettled(HWND window, DWORD milliseconds = 5000);

// A pop-up menu of this process with the one item `text`, the default item or not, shown
// with the bar's flags at `at` and captured; the comparison for the bar's menu, which
// another process cannot read. Empty when the menu did not show.
ScreenImage CaptureOwnMenu(const wchar_t* text, bool isDefault, POINT at);

// The icon of a message box as the screen shows it; empty when the box has none.
ScreenImage CaptureMessageBoxIcon(HWND box);
// The icon of a message box of this process with the type's icon (MB_ICONHAND, ...), for
// comparison with a box of another process. Empty when the box did not show.
ScreenImage CaptureOwnMessageBoxIcon(UINT type);

// Samples the visibility of a window from a thread of its own, giving up the processor
// between samples but taking the next as soon as it gets it back, so that a short hide (a
// few milliseconds) between two shows is seen, and so is a short show.
class VisibilityWatch {
public:
    explicit VisibilityWatch(HWND window);
    ~VisibilityWatch();
    VisibilityWatch(const VisibilityWatch&) = delete;
    VisibilityWatch& operator=(const VisibilityWatch&) = delete;

    // Ends the sampling; the counts stay readable.
    void Stop();
    // The samples that found the window hidden, and those that found it shown in its normal
    // state (a hide by event minimises the window on its way, which is no show).
    long HiddenSamples() const { return hidden_; }
    long ShownSamples() const { return shown_; }

private:
    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<long> hidden_{0};
    std::atomic<long> shown_{0};
    std::thread thread_;
};

// A small visible window of the test, on a thread of its own that answers its messages,
// made the foreground window: another window in front of the bar, so that the bar's own
// taking of the foreground can be seen.
class FrontWindow {
public:
    FrontWindow();
    ~FrontWindow();
    FrontWindow(const FrontWindow&) = delete;
    FrontWindow& operator=(const FrontWindow&) = delete;

    HWND Window() const { return window_; }
    // Whether the window became the foreground window within `milliseconds`.
    bool TakeForeground(DWORD milliseconds);

private:
    HWND window_ = nullptr;
    HANDLE created_;
    std::thread thread_;
};

// The lines of a text file without their line ends; empty when it cannot be read.
std::vector<std::string> ReadLines(const std::wstring& path);

// Moves the pointer where no window of the bar can be, so that the bar sees no pointer
// activity that would keep it shown.
void ParkCursor();

}  // namespace e2e
