// What the tests of the bar's commands need beside the bar's run: the machine's journal on the
// clock of this process and its helpers; clicks on the bar's buttons; the cable prompt as
// another process sees it; the installed version that enables the display notice; the stand-in
// display program; and a recorder of the system's keyboard events.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BarHarness.h"
#include "tamsil/Handle.h"

namespace e2e {

// The machine's journal counts from its last reset. A reset of the run's machine made here,
// between two readings of the counter, ties the journal's time stamps to the counter. The
// profile is the one that the run was made from, so that the machine stays as it was.
class JournalClock {
public:
    JournalClock(const BarRun& run, const std::string& profile);
    // A moment on the counter (testsupport::CounterMilliseconds) as a journal time stamp.
    double ToJournal(double counterMilliseconds) const { return counterMilliseconds - origin_; }
    // A moment on the system's tick count (GetTickCount, the clock of input events) as a
    // journal time stamp, within a few milliseconds.
    double TickToJournal(DWORD tick) const;
    // How far off ToJournal can be: the time the reset took.
    double Uncertainty() const { return uncertainty_; }

private:
    double origin_ = 0;
    double uncertainty_ = 0;
};

// The pointer to the screen's top right corner, away from the bar and the prompt, which sit in
// the screen's middle or at its bottom, and from the windows that other tests open at the top
// left.
void ParkPointer();

// A real left click (press and release) at the centre of the bar's control `id`, `dx` pixels to
// the right of it; false when the control is not shown, or another window covers that point
// for five seconds. Clicks on one button that follow each other within the double-click time
// are no double click when they are more than a few pixels apart.
bool ClickBarButton(HWND bar, int id, int dx = 0);

// The command of the bar's button `id` as its click sends it to the bar, without the pointer.
void PostCommand(HWND bar, int id);

// The bar's cable prompt: a top-level dialog of the bar's process captioned "Van Telo II".
struct CablePrompt {
    HWND window = nullptr;
    std::wstring text;  // of its text control 1018
    bool topmost = false;
    bool hiddenControlVisible = false;  // control 1017
    HWND owner = nullptr;
    RECT rect{};
};
// The prompt now on screen; window null when there is none.
CablePrompt FindCablePrompt(DWORD processId);
CablePrompt WaitForCablePrompt(DWORD processId, DWORD milliseconds);

// The product registered as installed in the version that the bar expects on this machine, so
// that the bar started meanwhile sends the display notice. The registration is removed again
// at destruction.
class InstalledVersionMatch {
public:
    InstalledVersionMatch();
    ~InstalledVersionMatch();
    InstalledVersionMatch(const InstalledVersionMatch&) = delete;
    InstalledVersionMatch& operator=(const InstalledVersionMatch&) = delete;
};

// One notice that the stand-in display program received.
struct OsdNotice {
    double counterMilliseconds = 0;
    unsigned wParam = 0;
    unsigned lParam = 0;
};

// The stand-in display program with its window "PellamyOSD", started in `folder`, ended at
// destruction.
class OsdStandIn {
public:
    explicit OsdStandIn(const testsupport::TempFolder& folder);
    ~OsdStandIn();
    OsdStandIn(const OsdStandIn&) = delete;
    OsdStandIn& operator=(const OsdStandIn&) = delete;

    // Whether its window is there.
    bool Ready() const { return window_ != nullptr; }
    std::vector<OsdNotice> Notices() const;
    // Sends the program a notice of the test's own, with `code`, and waits until it has been
    // received: every notice that reached the program before it has been received too.
    bool ReceivedAfterOwnNotice(unsigned code, DWORD milliseconds) const;

private:
    std::wstring log_;
    std::unique_ptr<testsupport::ChildProcess> process_;
    HWND window_ = nullptr;
};

// One keyboard event as the system's low-level keyboard hook sees it.
struct KeyEvent {
    DWORD vkCode = 0;
    DWORD flags = 0;  // LLKHF_EXTENDED, LLKHF_UP, LLKHF_INJECTED, ...
    DWORD time = 0;   // the event's own time stamp, in milliseconds
};

// Records every keyboard event of the desktop, whichever process made it, through a
// low-level keyboard hook on a thread of its own, while the object lives. The thread uses only
// the object's own members, and the object ends it and waits for it at destruction.
class KeyHookRecorder {
public:
    KeyHookRecorder();
    ~KeyHookRecorder();
    KeyHookRecorder(const KeyHookRecorder&) = delete;
    KeyHookRecorder& operator=(const KeyHookRecorder&) = delete;

    bool Installed() const { return installed_; }
    std::vector<KeyEvent> Events() const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void Run();

    static KeyHookRecorder* active_;
    mutable std::mutex mutex_;
    std::vector<KeyEvent> events_;
    tamsil::UniqueHandle ready_;
    tamsil::UniqueHandle stop_;
    std::atomic<bool> installed_{false};
    std::thread thread_;
};

}  // namespace e2e
