// The shipped bar answering the world outside its buttons, driven as a process against a
// simulated machine: hardware hotkey events, its notification-area icon and the icon's
// menu, display changes, power events and the end of the session. What the bar did is read
// from the machine's journal (calls and their time stamps), register 0x75B, its windows and
// its message boxes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

#include "BarHarness.h"
#include "EventHarness.h"
#include "MessageBoxes.h"

using e2e::BarRun;
using e2e::CallText;
using e2e::InjectEvent;
using e2e::IsCall;
using e2e::JournalLine;
using e2e::kAutoHide;
using e2e::kNoLine;
using e2e::kPause;
using e2e::kStartTimeout;
using e2e::WaitForLine;
using testsupport::ChildProcess;
using testsupport::WaitUntil;

namespace {

// How long a change that the bar makes at once (a show, a box, a menu) may take to be seen on
// a busy machine; only a change that never comes exceeds it.
constexpr DWORD kStateBound = 10000;
// How long a shown bar may take to hide itself on a busy machine: the auto-hide's five
// seconds and ample room for a late timer. Only a bar that never hides exceeds it.
constexpr DWORD kHideBound = 15000;
constexpr int kCrtInDetect = 1018;
constexpr int kBluetooth = 1000;
constexpr UINT kIconId = 128;

// One supported button and no CRT-in-detect button: the quickest start.
const std::string kOneButton = e2e::MachineProfile("1");
// The default machine: all nineteen buttons, the CRT-in-detect button among them.
const char kAllButtons[] = "";

const char kCrtLcdText[] =
    "Please switch to LCD and press Vantelo II CRT/LCD switch function then plug in monitor cable";
const char kCrtInDetectText[] =
    "Please switch to LCD and press Vantelo II CRT in detect function then plug in monitor cable";

bool IsVisible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

size_t CountCalls(const std::vector<JournalLine>& journal, size_t from, size_t to, const std::string& text) {
    size_t count = 0;
    for (size_t i = from; i < to && i < journal.size(); ++i)
        count += CallText(journal[i]) == text ? 1 : 0;
    return count;
}

// The program's last two calls: the running bit (bit 7) cleared with the paced read-and-write,
// the register read as `read`, every other bit written back as read.
void ExpectRunningBitClearedLast(const std::vector<JournalLine>& journal, const std::string& read = "0x81",
                                 const std::string& written = "0x1") {
    ASSERT_GE(journal.size(), 2u);
    const JournalLine& readLine = journal[journal.size() - 2];
    const JournalLine& write = journal.back();
    EXPECT_EQ(CallText(readLine), "ReadEC 0x75B -> " + read);
    EXPECT_EQ(CallText(write), "WriteEC 0x75B " + written);
    EXPECT_GE(write.milliseconds - readLine.milliseconds, kPause);
}

void SleepUntil(DWORD tick) {
    Sleep(testsupport::Deadline::After(tick, 0).Left());
}

// The auto-hide's own expiry on a hidden bar: a read of 0x75B and a write with bit 0 clear.
bool IsHiddenBarRead(const JournalLine& line) {
    return CallText(line) == "ReadEC 0x75B -> 0x80";
}
bool IsHiddenBarWrite(const JournalLine& line) {
    return CallText(line) == "WriteEC 0x75B 0x80";
}

// The call texts from `from` on, without an expiry of the auto-hide that `armed` (a journal
// time) started: a read of 0x75B no earlier than five seconds after it whose next write of
// 0x75B is the value read with bit 0 cleared.
std::vector<std::string> CallsWithoutAutoHide(const std::vector<JournalLine>& journal, size_t from, double armed) {
    std::vector<std::string> calls;
    // An expiry that began before `from` may end after it.
    std::vector<bool> expiry(journal.size(), false);
    for (size_t i = 0; i < journal.size(); ++i) {
        const JournalLine& read = journal[i];
        if (!IsCall(read, "ReadEC", "0x75B") || read.milliseconds - armed < kAutoHide)
            continue;
        const size_t write =
            e2e::FindLine(journal, i + 1, [](const JournalLine& l) { return IsCall(l, "WriteEC", "0x75B"); });
        if (write != kNoLine &&
            CallText(journal[write]) == "WriteEC 0x75B " + e2e::Hex(std::stoul(read.result, nullptr, 16) & 0xFE))
            expiry[i] = expiry[write] = true;
    }
    for (size_t i = from; i < journal.size(); ++i)
        if (!expiry[i])
            calls.push_back(CallText(journal[i]));
    return calls;
}

// The stop icon as a message box of the test shows it, for comparison with the warning's
// box: the icon control of another process's box gives nothing else to read. Taken before
// the warning shows, so that no box of the test lies over it. (The box's topmost place, the
// other part of its type, cannot be seen here: Wine gives a box of type MB_TOPMOST no
// topmost style.)
e2e::ScreenImage StopIcon() {
    const e2e::ScreenImage stop = e2e::CaptureOwnMessageBoxIcon(MB_OK | MB_ICONHAND);
    const e2e::ScreenImage warning = e2e::CaptureOwnMessageBoxIcon(MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(stop.pixels.empty());
    EXPECT_FALSE(stop == warning) << "the icons are not told apart here";
    return stop;
}

// What the system's default processing answers to a message, as a window of the test that
// has no processing of its own gets it.
LRESULT DefaultAnswer(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND plain = CreateWindowExW(0, L"Message", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    EXPECT_NE(plain, nullptr);
    const LRESULT answer = DefWindowProcW(plain, message, wParam, lParam);
    DestroyWindow(plain);
    return answer;
}

class BarEvents : public ::testing::Test {
protected:
    // Starts the bar in a run folder of its own and waits until its start-up is over and
    // its icon is on screen.
    void Start(const std::string& profile) {
        e2e::ParkCursor();
        run_ = std::make_unique<BarRun>(profile);
        const std::vector<HWND> iconsBefore = e2e::TrayIconWindows();
        bar_ = &run_->Start();
        bar = run_->WaitForStartedBar(*bar_, kStartTimeout);
        ASSERT_NE(bar, nullptr) << "the bar did not start";
        icon = e2e::WaitForNewTrayIcon(iconsBefore, kStateBound);
        ASSERT_NE(icon, nullptr) << "no icon of the bar";
        started = GetTickCount();
        journal = run_->Journal();
        const size_t running = e2e::FindLine(journal, 0, e2e::SetsRunningBit);
        ASSERT_NE(running, kNoLine);
        runningBitWritten = journal[running].milliseconds;
    }

    // A bar that is still running is ended the way a user's system ends it, so that its
    // icon does not stay behind for the next test.
    void TearDown() override {
        if (bar_ && !bar_->WaitForExit(0) && bar) {
            PostMessageW(bar, WM_CLOSE, 0, 0);
            bar_->WaitForExit(5000);
        }
    }

    size_t Inject(unsigned code) { return InjectEvent(*run_, code, journal); }

    // The first line from `from` on that is the call with the first argument.
    size_t WaitForCall(size_t from, const std::string& call, const std::string& firstArgument,
                       DWORD milliseconds = kStateBound) {
        return WaitForLine(
            *run_, from, [&](const JournalLine& l) { return IsCall(l, call, firstArgument); }, journal, milliseconds);
    }

    // Hides the bar by event 0xA1 and waits for the end of its register change.
    void HideByEvent() {
        const size_t post = Inject(0xA1);
        ASSERT_NE(post, kNoLine);
        ASSERT_NE(WaitForCall(post, "WriteEC", "0x75B"), kNoLine);
        ASSERT_TRUE(WaitUntil([&] { return !IsVisible(bar); }, kStateBound));
    }

    // Waits for the start's own auto-hide: the bar hidden and bit 0 cleared by the timer,
    // which nothing then arms again while the bar stays hidden.
    void HideByAutoHide() {
        const size_t read = WaitForLine(*run_, 0, IsHiddenBarRead, journal, kHideBound);
        ASSERT_NE(read, kNoLine) << "the bar did not hide itself";
        ASSERT_NE(WaitForLine(*run_, read, IsHiddenBarWrite, journal), kNoLine);
        ASSERT_TRUE(WaitUntil([&] { return !IsVisible(bar); }, kStateBound));
    }

    // The two lines after `post` are a change of register 0x75B from `read` to `written`
    // with the controller's pause between them.
    void ExpectStateChangeAfter(size_t post, const std::string& read, const std::string& written) {
        ASSERT_NE(WaitForCall(post, "WriteEC", "0x75B"), kNoLine);
        ASSERT_GE(journal.size(), post + 3);
        EXPECT_EQ(CallText(journal[post + 1]), "ReadEC 0x75B -> " + read);
        EXPECT_EQ(CallText(journal[post + 2]), "WriteEC 0x75B " + written);
        EXPECT_GE(journal[post + 2].milliseconds - journal[post + 1].milliseconds, kPause);
    }

    // A real click on the bar's icon. The tray is brought to the foreground first, as the
    // press itself would do: under Wine on X the tray's activation by the press otherwise
    // comes back late from the X server and takes the foreground from the bar again, which
    // closes a menu that the bar has opened meanwhile.
    void ClickIcon(DWORD down, DWORD up) {
        HWND tray = GetAncestor(icon, GA_ROOT);
        SetForegroundWindow(tray);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == tray; }, kStateBound))
            << "the tray took no foreground";
        e2e::MoveCursor(e2e::CenterOf(icon));
        e2e::MouseButtons({down, up});
    }

    void PostIconMessage(UINT mouseMessage) { PostMessageW(bar, e2e::TrayNotifyMessage(), kIconId, mouseMessage); }

    // The icon's right press on the hidden bar, posted with the cursor at `at` while a
    // window of the test is in front; the bar's menu once it shows, by which time the bar
    // must have taken the foreground (a menu of a background window closes at the first
    // click elsewhere). The bar is hidden first so that it holds no keyboard focus of the X
    // server whose loss could come back late and close its menu.
    HWND OpenMenuAt(POINT at) {
        EXPECT_FALSE(IsVisible(bar)) << "the menu tests open the menu of a hidden bar";
        front_ = std::make_unique<e2e::FrontWindow>();
        if (!front_->TakeForeground(kStateBound)) {
            ADD_FAILURE() << "the test's window did not take the foreground";
            return nullptr;
        }
        e2e::MoveCursor(at);
        PostIconMessage(WM_RBUTTONDOWN);
        HWND menu = e2e::WaitForPopupMenu(bar_->ProcessId(), kStateBound);
        if (menu) {
            EXPECT_EQ(GetForegroundWindow(), bar) << "the menu shows without the bar in the foreground";
        }
        return menu;
    }

    std::unique_ptr<BarRun> run_;
    const ChildProcess* bar_ = nullptr;
    HWND bar = nullptr;
    HWND icon = nullptr;
    DWORD started = 0;
    double runningBitWritten = 0;  // journal time of the start's last hardware call
    std::vector<JournalLine> journal;
    std::unique_ptr<e2e::FrontWindow> front_;
};

// ---- Hardware hotkey events ----

using BarHotkeyEvent = BarEvents;

// Show on a hidden bar, then show again while shown: each sets bit 0 with the paced
// read-and-write, the other bits as read (all set here but bit 0), and the second starts the
// five seconds of the auto-hide afresh.
TEST_F(BarHotkeyEvent, ShowSetsTheShownBitAndRestartsTheAutoHide) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton + "Reg75B=0x7E\r\n"));
    ASSERT_NO_FATAL_FAILURE(HideByEvent());

    const size_t first = Inject(0xA0);
    const DWORD firstSeen = GetTickCount();
    ASSERT_NE(first, kNoLine);
    EXPECT_TRUE(WaitUntil([&] { return IsVisible(bar); }, kStateBound));
    ExpectStateChangeAfter(first, "0xFE", "0xFF");

    SleepUntil(firstSeen + 1500);
    const size_t second = Inject(0xA0);
    const DWORD secondSeen = GetTickCount();
    ASSERT_NE(second, kNoLine);
    ExpectStateChangeAfter(second, "0xFF", "0xFF");
    const double secondWrite = journal[second + 2].milliseconds;

    // The hide comes five seconds after the second show, not at the end of the first's.
    EXPECT_TRUE(WaitUntil([&] { return !IsVisible(bar); }, testsupport::Deadline::After(secondSeen, kHideBound).Left()))
        << "still shown long after the auto-hide's five seconds";
    const size_t hide = WaitForCall(second + 3, "ReadEC", "0x75B");
    ASSERT_NE(hide, kNoLine) << "the auto-hide did not clear bit 0";
    EXPECT_GE(journal[hide].milliseconds - secondWrite, kAutoHide)
        << "hidden before five seconds after the second show";
    ASSERT_NE(WaitForCall(hide, "WriteEC", "0x75B"), kNoLine);
    EXPECT_EQ(CallText(journal[hide + 1]), "WriteEC 0x75B 0xFE");
    EXPECT_EQ(run_->ReadRegister(0x75B), 0xFEu);
}

// Hide clears bit 0 with the paced read-and-write, the other bits as read (all set here),
// and does it again on a bar that is hidden already.
TEST_F(BarHotkeyEvent, HideClearsTheShownBitAlsoWhenHidden) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton + "Reg75B=0x7F\r\n"));
    ASSERT_EQ(run_->ReadRegister(0x75B), 0xFFu);

    const size_t first = Inject(0xA1);
    ASSERT_NE(first, kNoLine);
    ExpectStateChangeAfter(first, "0xFF", "0xFE");
    EXPECT_TRUE(WaitUntil([&] { return !IsVisible(bar); }, kStateBound));

    const size_t second = Inject(0xA1);
    ASSERT_NE(second, kNoLine);
    ExpectStateChangeAfter(second, "0xFE", "0xFE");
    EXPECT_FALSE(IsVisible(bar));
    EXPECT_EQ(run_->ReadRegister(0x75B), 0xFEu);
}

// Codes beside the four, and 0xA0 with a bit above the low byte, do nothing: the hidden bar
// never shows, and no hardware call comes but the auto-hide's own expiry, which the bar may
// run while hidden (a read of 0x75B and a write with bit 0 clear, once, no earlier than five
// seconds after start-up). A refresh event posted after them marks the end of their
// handling with its own call.
TEST_F(BarHotkeyEvent, OtherCodesDoNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(kAllButtons));
    ASSERT_NO_FATAL_FAILURE(HideByEvent());
    const size_t before = run_->Journal().size();

    e2e::VisibilityWatch watch(bar);
    for (unsigned code : {0xA4u, 0x0u, 0x1A0u})
        ASSERT_NE(Inject(code), kNoLine) << "code " << e2e::Hex(code);
    const size_t fence = Inject(0xA3);
    ASSERT_NE(fence, kNoLine);
    const size_t refresh = WaitForCall(fence, "GetLong32", "0x2500");
    ASSERT_NE(refresh, kNoLine) << "the refresh after the codes was not handled";
    watch.Stop();

    EXPECT_EQ(watch.ShownSamples(), 0) << "the hidden bar was shown";
    size_t timerReads = 0;
    for (size_t i = before; i < refresh; ++i) {
        const JournalLine& line = journal[i];
        if (line.call == "Event" || line.call == "Post" || IsHiddenBarWrite(line))
            continue;
        if (IsHiddenBarRead(line) && line.milliseconds - runningBitWritten >= kAutoHide) {
            ++timerReads;
            continue;
        }
        ADD_FAILURE() << "a call of the codes' doing: " << CallText(line);
    }
    EXPECT_LE(timerReads, 1u) << "more register changes than the auto-hide's one";
    EXPECT_EQ(run_->ReadRegister(0x75B), 0x80u);
}

// Each register change by event gives the controller its pause after the write as well: a
// command posted right behind each event runs no sooner.
TEST_F(BarHotkeyEvent, ShowAndHideGiveTheControllerItsPauseAfterTheWrite) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    const size_t before = run_->Journal().size();
    for (WPARAM code : {0xA0, 0xA1}) {
        PostMessageW(bar, e2e::kHotkeyEventMessage, code, 0);
        PostMessageW(bar, WM_COMMAND, MAKEWPARAM(kBluetooth, BN_CLICKED), 0);
    }
    const std::string function = "GetLong32 0x200 0xD -> 0x0";
    ASSERT_TRUE(WaitUntil(
        [&] {
            journal = run_->Journal();
            return CountCalls(journal, before, journal.size(), function) == 2;
        },
        kStateBound))
        << "the commands behind the events did not run";
    EXPECT_EQ(CallsWithoutAutoHide(journal, before, runningBitWritten),
              (std::vector<std::string>{"ReadEC 0x75B -> 0x80", "WriteEC 0x75B 0x81", function, "ReadEC 0x75B -> 0x81",
                                        "WriteEC 0x75B 0x80", function}));
    for (size_t i = before + 1; i < journal.size(); ++i) {
        if (CallText(journal[i]) != function)
            continue;
        ASSERT_TRUE(IsCall(journal[i - 1], "WriteEC", "0x75B")) << CallText(journal[i - 1]);
        EXPECT_GE(journal[i].milliseconds - journal[i - 1].milliseconds, kPause) << "no pause after the write";
    }
}

// A hide by event minimises the bar on its way out, and each show brings it back in its
// normal state where it was, by event and by the icon alike. Before any display change no
// show lays the bar out again: a bar that the user moved stays where he put it.
TEST_F(BarHotkeyEvent, ShowsRestoreTheMinimisedBarWhereItWas) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    SetWindowPos(bar, nullptr, 0, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(bar).left == 0; }, kStateBound));
    const RECT moved = WindowRect(bar);

    const std::pair<const char*, std::function<void()>> shows[] = {
        {"show event", [&] { ASSERT_NE(Inject(0xA0), kNoLine); }},
        {"icon press", [&] { PostIconMessage(WM_LBUTTONDOWN); }},
    };
    for (const auto& [label, show] : shows) {
        SCOPED_TRACE(label);
        ASSERT_NO_FATAL_FAILURE(HideByEvent());
        EXPECT_TRUE(IsIconic(bar)) << "hidden without being minimised";
        ASSERT_NO_FATAL_FAILURE(show());
        ASSERT_TRUE(WaitUntil([&] { return IsVisible(bar); }, kStateBound)) << "not shown";
        ASSERT_TRUE(e2e::WaitUntilBarIsIdle(bar));
        EXPECT_FALSE(IsIconic(bar)) << "shown minimised";
        EXPECT_TRUE(SameRect(WindowRect(bar), moved)) << "not where it was";
    }
}

// ---- The monitor-cable warning and the CRT-in-detect button ----

using BarCableWarning = BarEvents;

// Without the CRT-in-detect button the warning names the CRT/LCD switch and no button
// changes; the refresh event and a resume ask the library nothing.
TEST_F(BarCableWarning, WithoutTheCrtInDetectButtonNamesTheCrtLcdSwitch) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    auto enabledStates = [&] {
        std::vector<std::pair<int, bool>> states;
        for (const e2e::BarControl& control : e2e::BarControls(bar))
            states.emplace_back(control.id, IsWindowEnabled(GetDlgItem(bar, control.id)) != FALSE);
        return states;
    };
    const auto statesBefore = enabledStates();
    ASSERT_FALSE(statesBefore.empty());
    const size_t before = run_->Journal().size();
    const e2e::ScreenImage stopIcon = StopIcon();

    ASSERT_NE(Inject(0xA2), kNoLine);
    const auto boxes = testsupport::WaitForMessageBoxes(bar_->ProcessId(), kStateBound);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Vantelo II");
    EXPECT_EQ(boxes[0].text, testsupport::Utf8ToWide(kCrtLcdText));
    EXPECT_EQ(boxes[0].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(GetWindow(boxes[0].window, GW_OWNER), bar);
    EXPECT_TRUE(e2e::CaptureMessageBoxIcon(boxes[0].window) == stopIcon) << "not the stop icon";
    EXPECT_EQ(enabledStates(), statesBefore);
    testsupport::AnswerMessageBox(boxes[0], IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(boxes[0].window); }, kStateBound));

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(bar, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL, 5000, &answer));
    ASSERT_NE(Inject(0xA3), kNoLine);
    const size_t marker = Inject(0xA1);
    ASSERT_NE(marker, kNoLine);
    ASSERT_NE(WaitForCall(marker, "WriteEC", "0x75B"), kNoLine);
    EXPECT_EQ(CountCalls(journal, before, journal.size(), "GetLong32 0x2500 0x0 -> 0x0"), 0u);
    EXPECT_EQ(enabledStates(), statesBefore);
}

using BarCrtInDetect = BarEvents;

// The warning disables the CRT-in-detect button before its box shows; the refresh event
// asks the library and enables the button unless the answer is 1.
TEST_F(BarCrtInDetect, WarningDisablesTheButtonUntilTheRefreshAllowsIt) {
    ASSERT_NO_FATAL_FAILURE(Start(kAllButtons));
    HWND button = GetDlgItem(bar, kCrtInDetect);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(IsWindowEnabled(button));
    const e2e::ScreenImage stopIcon = StopIcon();

    ASSERT_NE(Inject(0xA2), kNoLine);
    const auto boxes = testsupport::WaitForMessageBoxes(bar_->ProcessId(), kStateBound);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(IsWindowEnabled(button)) << "enabled while the warning shows";
    EXPECT_EQ(boxes[0].caption, L"Vantelo II");
    EXPECT_EQ(boxes[0].text, testsupport::Utf8ToWide(kCrtInDetectText));
    EXPECT_EQ(boxes[0].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(e2e::CaptureMessageBoxIcon(boxes[0].window) == stopIcon) << "not the stop icon";
    testsupport::AnswerMessageBox(boxes[0], IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(boxes[0].window); }, kStateBound));
    EXPECT_FALSE(IsWindowEnabled(button)) << "enabled again when the warning closed";

    struct Refresh {
        const char* answer;
        bool enabled;
    };
    for (const Refresh& r : {Refresh{"1", false}, Refresh{"0", true}}) {
        std::string output;
        ASSERT_EQ(run_->Ctl(L"answer 0x2500 " + testsupport::Utf8ToWide(r.answer), output), 0u);
        const size_t post = Inject(0xA3);
        ASSERT_NE(post, kNoLine);
        ASSERT_NE(WaitForCall(post, "GetLong32", "0x2500"), kNoLine);
        ASSERT_TRUE(e2e::WaitUntilBarIsIdle(bar));
        EXPECT_EQ(CallsWithoutAutoHide(run_->Journal(), post + 1, runningBitWritten),
                  std::vector<std::string>{std::string("GetLong32 0x2500 0x0 -> 0x") + r.answer});
        EXPECT_EQ(IsWindowEnabled(button) != FALSE, r.enabled) << "answer " << r.answer;
    }
}

// Resume from suspend asks the library once and applies its answer to the button; the
// query before a suspend, suspend and automatic resume ask nothing. Every power event gets
// the default processing's answer, so that the bar never stands in the way of a suspend.
TEST_F(BarCrtInDetect, ResumeAsksTheLibraryOtherPowerEventsDoNot) {
    ASSERT_NO_FATAL_FAILURE(Start(kAllButtons));
    HWND button = GetDlgItem(bar, kCrtInDetect);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(IsWindowEnabled(button));

    struct Power {
        WPARAM event;
        const char* answer;  // set before the event
        const char* asked;   // the call it makes, null for none
        bool enabled;        // the button afterwards
    };
    const Power cases[] = {
        {PBT_APMRESUMESUSPEND, "1", "GetLong32 0x2500 0x0 -> 0x1", false},
        {PBT_APMQUERYSUSPEND, "0", nullptr, false},
        {PBT_APMSUSPEND, "0", nullptr, false},
        {PBT_APMRESUMEAUTOMATIC, "0", nullptr, false},
        {PBT_APMRESUMESUSPEND, "0", "GetLong32 0x2500 0x0 -> 0x0", true},
    };
    for (const Power& c : cases) {
        std::string output;
        ASSERT_EQ(run_->Ctl(L"answer 0x2500 " + testsupport::Utf8ToWide(c.answer), output), 0u);
        const size_t before = run_->Journal().size();
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(bar, WM_POWERBROADCAST, c.event, 0, SMTO_NORMAL, 5000, &answer));
        EXPECT_EQ(static_cast<LRESULT>(answer), DefaultAnswer(WM_POWERBROADCAST, c.event, 0))
            << "power event " << c.event;
        std::vector<std::string> expected;
        if (c.asked)
            expected.push_back(c.asked);
        EXPECT_EQ(CallsWithoutAutoHide(run_->Journal(), before, runningBitWritten), expected)
            << "power event " << c.event;
        EXPECT_EQ(IsWindowEnabled(button) != FALSE, c.enabled) << "power event " << c.event;
    }
}

// ---- The notification-area icon ----

using BarIcon = BarEvents;

// A real left click on the icon shows the hidden bar in the foreground without touching
// the register, and the bar then stays five seconds from the click, past the end of the
// start's auto-hide period.
TEST_F(BarIcon, LeftPressShowsWithoutTheRegisterAndRestartsTheAutoHide) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    // Hidden by its own auto-hide, so that the click's is the only one that runs.
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());

    // An event that does nothing marks the time before the click in the journal.
    const size_t marker = Inject(0xA4);
    ASSERT_NE(marker, kNoLine);
    ClickIcon(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    const DWORD clicked = GetTickCount();

    EXPECT_TRUE(WaitUntil([&] { return IsVisible(bar); }, kStateBound)) << "the click did not show the bar";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == bar; }, kStateBound));

    EXPECT_TRUE(WaitUntil([&] { return !IsVisible(bar); }, testsupport::Deadline::After(clicked, kHideBound).Left()))
        << "still shown long after the auto-hide's five seconds";

    // The first register access after the click is the auto-hide's, five seconds after the
    // click.
    const size_t hide = WaitForCall(marker + 1, "ReadEC", "0x75B");
    ASSERT_NE(hide, kNoLine);
    EXPECT_EQ(hide, marker + 1) << "calls between the click and the auto-hide: " << CallText(journal[marker + 1]);
    EXPECT_GE(journal[hide].milliseconds - journal[marker].milliseconds, kAutoHide)
        << "hidden before five seconds after the click";
}

// Only the press of a double-click shows the bar; a release alone shows nothing. After a
// display change every show lays the bar out again first, which asks the library about the
// CRT-in-detect button: one question per show. A hide posted behind the icon messages
// marks the end of their handling. The bar is hidden by its own auto-hide first, so that
// no expiry of it falls among the calls counted.
TEST_F(BarIcon, OnlyThePressOfADoubleClickShows) {
    ASSERT_NO_FATAL_FAILURE(Start(kAllButtons));
    ASSERT_EQ(SendMessageW(bar, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024)), 0);
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());

    struct Clicks {
        const char* label;
        std::vector<UINT> messages;
        size_t shows;
    };
    const Clicks cases[] = {
        {"release alone", {WM_LBUTTONUP}, 0},
        {"double-click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1},
    };
    for (const Clicks& c : cases) {
        const size_t before = run_->Journal().size();
        e2e::VisibilityWatch watch(bar);
        for (UINT message : c.messages)
            PostIconMessage(message);
        if (c.shows > 0) {
            EXPECT_TRUE(WaitUntil([&] { return IsVisible(bar); }, kStateBound)) << c.label;
        }
        PostMessageW(bar, e2e::kHotkeyEventMessage, 0xA1, 0);
        const size_t marker = WaitForCall(before, "ReadEC", "0x75B");
        ASSERT_NE(marker, kNoLine) << c.label;
        ASSERT_NE(WaitForCall(marker, "WriteEC", "0x75B"), kNoLine) << c.label;
        watch.Stop();
        if (c.shows == 0) {
            EXPECT_EQ(watch.ShownSamples(), 0) << c.label << ": the bar was shown";
        }
        EXPECT_EQ(CountCalls(journal, before, marker, "GetLong32 0x2500 0x0 -> 0x0"), c.shows) << c.label;
        EXPECT_EQ(marker - before, c.shows) << c.label << ": other calls before the hide";
    }
}

// ---- The icon's menu ----

using BarIconMenu = BarEvents;

// Where the bar's menu of one "Quit" item is opened in these tests: the press is posted
// with the cursor here, away from the bar, so that the menu's place can be checked.
POINT MenuPoint() {
    return {GetSystemMetrics(SM_CXSCREEN) * 3 / 4, GetSystemMetrics(SM_CYSCREEN) / 4};
}

// The right press opens the menu with its right edge and top at the cursor. Another
// process cannot read the bar's menu, so it is compared with menus of the test drawn at
// the same place: one item "Quit", default or not. Escape closes it and changes nothing.
TEST_F(BarIconMenu, RightPressOpensTheQuitMenuAtTheCursorAndEscapeClosesIt) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());
    const POINT at = MenuPoint();
    const e2e::ScreenImage quitDefault = e2e::CaptureOwnMenu(L"Quit", true, at);
    const e2e::ScreenImage quitPlain = e2e::CaptureOwnMenu(L"Quit", false, at);
    ASSERT_FALSE(quitDefault.pixels.empty());
    ASSERT_FALSE(quitPlain == quitDefault) << "the default item is not drawn differently here";
    const size_t before = run_->Journal().size();
    const size_t iconsBefore = e2e::TrayIconWindows().size();

    HWND menu = OpenMenuAt(at);
    ASSERT_NE(menu, nullptr) << "no menu";
    const RECT rect = WindowRect(menu);
    EXPECT_EQ(rect.right, at.x);
    EXPECT_EQ(rect.top, at.y);
    const e2e::ScreenImage shown = e2e::CaptureSettled(menu);
    EXPECT_TRUE(shown == quitDefault || shown == quitPlain) << "the menu is not one item \"Quit\"";

    e2e::PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(menu) || !IsVisible(menu); }, kStateBound))
        << "Escape left the menu open";
    ASSERT_TRUE(e2e::WaitUntilBarIsIdle(bar));
    EXPECT_FALSE(bar_->WaitForExit(500));
    EXPECT_TRUE(IsWindow(bar));
    EXPECT_EQ(run_->Journal().size(), before);
    EXPECT_EQ(e2e::TrayIconWindows().size(), iconsBefore);
}

// "Quit" is the menu's default item, which the menu draws bold.
TEST_F(BarIconMenu, QuitIsTheDefaultItem) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());
    const POINT at = MenuPoint();
    const e2e::ScreenImage quitDefault = e2e::CaptureOwnMenu(L"Quit", true, at);
    ASSERT_FALSE(quitDefault.pixels.empty());

    HWND menu = OpenMenuAt(at);
    ASSERT_NE(menu, nullptr) << "no menu";
    const e2e::ScreenImage shown = e2e::CaptureSettled(menu);
    EXPECT_EQ(shown.width, quitDefault.width);
    EXPECT_TRUE(shown == quitDefault) << "\"Quit\" is not drawn as the default item";
    e2e::PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(menu) || !IsVisible(menu); }, kStateBound));
}

// A real right click on the icon and a click on "Quit" end the program: bit 7 cleared with
// the paced read-and-write, bit 0 kept as it was, the icon removed, exit code 0.
TEST_F(BarIconMenu, ChoosingQuitEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    // The menu of a hidden bar, as in the tests above; bit 0 set from outside, to be kept.
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());
    std::string output;
    ASSERT_EQ(run_->Ctl(L"write 0x75B 0x81", output), 0u);
    const size_t iconsBefore = e2e::TrayIconWindows().size();

    ClickIcon(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND menu = e2e::WaitForPopupMenu(bar_->ProcessId(), kStateBound);
    ASSERT_NE(menu, nullptr) << "no menu";
    e2e::MoveCursor(e2e::CenterOf(menu));
    e2e::MouseButtons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});

    ASSERT_TRUE(bar_->WaitForExit(10000)) << "the program did not end";
    EXPECT_EQ(bar_->ExitCode(), 0u);
    ASSERT_NO_FATAL_FAILURE(ExpectRunningBitClearedLast(run_->Journal()));
    EXPECT_EQ(run_->ReadRegister(0x75B), 0x01u);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); }, kStateBound)) << "the icon stayed";
    EXPECT_EQ(e2e::TrayIconWindows().size(), iconsBefore - 1);
}

// The menu takes its item from either button: a right click on "Quit" ends the program too.
TEST_F(BarIconMenu, QuitCanBeChosenWithTheRightButton) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton));
    ASSERT_NO_FATAL_FAILURE(HideByAutoHide());
    HWND menu = OpenMenuAt(MenuPoint());
    ASSERT_NE(menu, nullptr) << "no menu";
    e2e::MoveCursor(e2e::CenterOf(menu));
    e2e::MouseButtons({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});

    const bool ended = bar_->WaitForExit(10000);
    if (!ended)
        e2e::PressKey(VK_ESCAPE);  // the menu still open, so that the bar can be ended
    ASSERT_TRUE(ended) << "the right click on \"Quit\" did not end the program";
    EXPECT_EQ(bar_->ExitCode(), 0u);
}

// ---- Display change ----

using BarDisplayChange = BarEvents;

// A display change writes the full-screen width that the bar reads then to the log and
// lays nothing out; the next show by event and the next by the icon lay the bar out again
// first: hidden, placed anew (back from where the test moved it), asked about the
// CRT-in-detect button, then shown. The notice carries another resolution than the
// screen's so that a width taken from it would show.
TEST_F(BarDisplayChange, LogsTheWidthAndRelaysOutAtTheNextShows) {
    ASSERT_NO_FATAL_FAILURE(Start(kAllButtons));
    const RECT home = WindowRect(bar);
    const size_t before = run_->Journal().size();

    ASSERT_EQ(SendMessageW(bar, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768)), 0);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const auto log = e2e::ReadLines(run_->Folder().File(L"OverClock.log"));
    ASSERT_EQ(log.size(), 1u);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(log[0], parts, std::regex(R"((\d\d):(\d\d):(\d\d)\tdisplay change (\d+))"))) << log[0];
    EXPECT_EQ(std::stoi(parts[4].str()), GetSystemMetrics(SM_CXFULLSCREEN));
    const int logged = std::stoi(parts[1].str()) * 3600 + std::stoi(parts[2].str()) * 60 + std::stoi(parts[3].str());
    const int clock = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    EXPECT_LE((clock - logged + 86400) % 86400, 5) << "not the local time of the change: " << log[0];
    EXPECT_EQ(run_->Journal().size(), before) << "the change itself called the hardware";
    EXPECT_TRUE(IsVisible(bar));
    EXPECT_TRUE(SameRect(WindowRect(bar), home));

    double showArmed = 0;
    auto moveAway = [&] {
        SetWindowPos(bar, nullptr, 0, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitUntil([&] { return WindowRect(bar).left == 0; }, kStateBound));
    };

    // The show by event: the layout's question before the register change.
    ASSERT_NO_FATAL_FAILURE(moveAway());
    {
        e2e::VisibilityWatch watch(bar);
        const size_t post = Inject(0xA0);
        ASSERT_NE(post, kNoLine);
        const size_t shown = WaitForCall(post, "WriteEC", "0x75B");
        ASSERT_NE(shown, kNoLine);
        showArmed = journal[shown].milliseconds;
        watch.Stop();
        EXPECT_EQ(
            CallsWithoutAutoHide(journal, post + 1, runningBitWritten),
            (std::vector<std::string>{"GetLong32 0x2500 0x0 -> 0x0", "ReadEC 0x75B -> 0x80", "WriteEC 0x75B 0x81"}));
        EXPECT_GT(watch.HiddenSamples(), 0) << "the bar was not hidden for the layout";
        EXPECT_TRUE(IsVisible(bar));
        EXPECT_TRUE(SameRect(WindowRect(bar), home)) << "not placed anew";
    }

    // The show by a real click on the icon: the layout's question and no register access.
    // On a slow run the auto-hide that the show above armed may expire meanwhile.
    ASSERT_NO_FATAL_FAILURE(moveAway());
    {
        const size_t marker = Inject(0xA4);
        ASSERT_NE(marker, kNoLine);
        e2e::VisibilityWatch watch(bar);
        ClickIcon(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        ASSERT_NE(WaitForCall(marker, "GetLong32", "0x2500"), kNoLine) << "the click laid nothing out";
        ASSERT_TRUE(e2e::WaitUntilBarIsIdle(bar));
        ASSERT_TRUE(WaitUntil([&] { return IsVisible(bar); }, kStateBound));
        watch.Stop();
        EXPECT_EQ(CallsWithoutAutoHide(run_->Journal(), marker + 1, showArmed),
                  std::vector<std::string>{"GetLong32 0x2500 0x0 -> 0x0"});
        EXPECT_GT(watch.HiddenSamples(), 0) << "the bar was not hidden for the layout";
        EXPECT_TRUE(SameRect(WindowRect(bar), home)) << "not placed anew";
    }
}

// ---- End of the session ----

using BarSessionEnd = BarEvents;

// Wine's default processing agrees to the end of the session, so the bar is destroyed
// during the query: the window is gone and bit 7 cleared, every other bit kept, by the time
// the answer TRUE arrives; then the program ends and its icon is removed.
TEST_F(BarSessionEnd, AgreedQueryDestroysTheBarBeforeAnswering) {
    ASSERT_NO_FATAL_FAILURE(Start(kOneButton + "Reg75B=0x7F\r\n"));
    const size_t iconsBefore = e2e::TrayIconWindows().size();

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(bar, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_FALSE(IsWindow(bar)) << "the bar's window outlived the query";
    ASSERT_NO_FATAL_FAILURE(ExpectRunningBitClearedLast(run_->Journal(), "0xFF", "0x7F"));

    ASSERT_TRUE(bar_->WaitForExit(10000));
    EXPECT_EQ(bar_->ExitCode(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); }, kStateBound)) << "the icon stayed";
    EXPECT_EQ(e2e::TrayIconWindows().size(), iconsBefore - 1);
}

}  // namespace
