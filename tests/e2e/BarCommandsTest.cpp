// The shipped bar's buttons: each button's hardware function, the fresh five seconds that a
// command gives the bar, the hide button, the two display commands around the cable prompt,
// the display notice of the volume buttons and the lock keys.
//
// Buttons are clicked for real where the test looks at which command a button runs. Where it
// looks at the auto-hide timer, the command is posted as the button sends it, with the pointer
// away from the bar: a real click's release re-arms the timer by itself (the bar's pointer
// filter), which would hide whether the command re-arms it. The display notices are tested with
// posted commands too: commands that must follow each other within the notice's 300 ms pause
// come that close only when nothing paints or moves the pointer between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "BarHarness.h"
#include "CommandHarness.h"

using e2e::BarRun;
using e2e::CallsFrom;
using e2e::CallText;
using e2e::FindLine;
using e2e::IsCall;
using e2e::JournalLine;
using e2e::kAutoHide;
using e2e::kNoLine;
using e2e::kPause;
using e2e::kStartTimeout;
using e2e::MachineProfile;
using testsupport::ChildProcess;

namespace {

constexpr double kPromptOpen = 5000.0;
// A timer may fire a hair before its period by the journal's clock.
constexpr double kTimerSlack = 10.0;
// How far into a show's five seconds a command comes, when the test looks at what the command
// does to them.
constexpr double kIntoTheShow = 1500.0;
// Upper bounds: how late a loaded machine may run a behaviour that is due.
constexpr double kLate = 2000.0;
// The display notice comes after its worker's pause.
constexpr double kNoticePause = 300.0;

// Support-byte reports of every button (an unsupported byte costs the handshake its retries).
const std::string kAllButtons = e2e::AllSupported(19);

const std::wstring kPullOut = L"           Please pull out monitor cable";
const std::wstring kPlugIn = L"Please plug in monitor cable after 3 seconds";

size_t FindCall(const std::vector<JournalLine>& journal, size_t from, const std::string& text) {
    return FindLine(journal, from, [&](const JournalLine& l) { return CallText(l) == text; });
}

bool IsStateRead(const JournalLine& line) {
    return IsCall(line, "ReadEC", "0x75B");
}

bool IsStateWrite(const JournalLine& line) {
    return IsCall(line, "WriteEC", "0x75B");
}

// A write of register 0x75B with the shown bit (bit 0) set or clear as `shown` says.
bool WritesShownBit(const JournalLine& line, bool shown) {
    return IsStateWrite(line) && line.arguments.size() == 2 &&
           ((std::stoul(line.arguments[1], nullptr, 16) & 1) != 0) == shown;
}

// A hiding of the bar in the journal: a read of 0x75B followed by its write with the shown bit
// clear.
size_t FindHide(const std::vector<JournalLine>& journal, size_t from) {
    for (size_t i = FindLine(journal, from, IsStateRead); i != kNoLine && i + 1 < journal.size();
         i = FindLine(journal, i + 1, IsStateRead))
        if (WritesShownBit(journal[i + 1], false))
            return i;
    return kNoLine;
}

// A bar started as a program on its own machine, with the pointer parked away from it.
class BarCommands : public ::testing::Test {
protected:
    // Version 6.1, which keeps the Bluetooth and 3G buttons as the controller reports them.
    BarCommands() : windows7_(L"win7") { e2e::ParkPointer(); }

    // Starts the bar; false when it does not come up.
    bool Start(const std::string& profile) {
        run_ = std::make_unique<BarRun>(profile);
        clock_ = std::make_unique<e2e::JournalClock>(*run_, profile);
        process_ = &run_->Start();
        bar_ = run_->WaitForStartedBar(*process_, kStartTimeout);
        return bar_ != nullptr;
    }

    std::vector<JournalLine> Journal() const { return run_->Journal(); }

    // Waits until the journal from `from` on holds a line that `match` accepts; its index, or
    // kNoLine.
    template <typename Match>
    size_t WaitFor(size_t from, Match match, DWORD milliseconds, std::vector<JournalLine>* journal = nullptr) {
        std::vector<JournalLine> seen;
        const size_t at = e2e::WaitForLine(*run_, from, match, seen, milliseconds);
        if (journal)
            *journal = seen;
        return at;
    }

    size_t WaitForCall(size_t from, const std::string& text, DWORD milliseconds,
                       std::vector<JournalLine>* journal = nullptr) {
        return WaitFor(
            from, [&](const JournalLine& l) { return CallText(l) == text; }, milliseconds, journal);
    }

    // Shows the bar by the hardware's show event and waits until the shown bit is written;
    // the journal time of that write (the auto-hide timer starts 50 ms later), negative when
    // the bar did not show.
    double ShowBar() {
        const size_t from = Journal().size();
        std::string output;
        if (run_->Ctl(L"event 0xA0", output) != 0)
            return -1;
        std::vector<JournalLine> journal;
        const size_t write = WaitFor(
            from, [](const JournalLine& l) { return WritesShownBit(l, true); }, 10000, &journal);
        if (write == kNoLine || !testsupport::WaitUntil([&] { return IsWindowVisible(bar_) != FALSE; }, 5000))
            return -1;
        return journal[write].milliseconds;
    }

    // A moment on this process's clock in journal time.
    double JournalNow() const { return clock_->ToJournal(testsupport::CounterMilliseconds()); }

    // Waits until the journal's clock has reached `moment`.
    void WaitForJournalTime(double moment) {
        ASSERT_TRUE(testsupport::WaitUntil([&] { return JournalNow() >= moment; },
                                           static_cast<DWORD>(std::max(0.0, moment - JournalNow()) + 5000)));
    }

    // Waits for the prompt to go, watching closely; the journal time when it was first seen
    // gone, negative when it stayed.
    double WaitForPromptToClose(HWND prompt, DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (IsWindow(prompt) && IsWindowVisible(prompt)) {
            if (GetTickCount() - start > milliseconds)
                return -1;
            Sleep(2);
        }
        return JournalNow();
    }

    // The hiding of the bar at or after `from`, once the journal shows a write of 0x75B there;
    // kNoLine when none came within `milliseconds`. `journal` holds the journal as last read.
    size_t WaitForHide(size_t from, DWORD milliseconds, std::vector<JournalLine>& journal) {
        WaitFor(from, IsStateWrite, milliseconds, &journal);
        return FindHide(journal, from);
    }

    // Waits for the prompt that a command opened, with `text`, and checks what it must look like
    // whichever command opened it: topmost, owned by the bar, centred over it, its second
    // control hidden, the bar disabled meanwhile.
    void WaitForPromptOverTheBar(const std::wstring& text, e2e::CablePrompt* opened) {
        const e2e::CablePrompt prompt = e2e::WaitForCablePrompt(process_->ProcessId(), 10000);
        ASSERT_NE(prompt.window, nullptr);
        *opened = prompt;
        EXPECT_EQ(prompt.text, text);
        EXPECT_TRUE(prompt.topmost);
        EXPECT_EQ(prompt.owner, bar_);
        EXPECT_FALSE(prompt.hiddenControlVisible);
        EXPECT_FALSE(IsWindowEnabled(bar_)) << "the bar takes input while the prompt runs";
        RECT barRect{};
        GetWindowRect(bar_, &barRect);
        EXPECT_NEAR(prompt.rect.left + prompt.rect.right, barRect.left + barRect.right, 4);
        EXPECT_NEAR(prompt.rect.top + prompt.rect.bottom, barRect.top + barRect.bottom, 4);
    }

    // The prompt that asks to plug the cable in, over the bar, left alone until it closes
    // itself; `closed` is the journal time when it was seen gone.
    void WaitOutThePlugInPrompt(double* closed) {
        e2e::CablePrompt prompt;
        ASSERT_NO_FATAL_FAILURE(WaitForPromptOverTheBar(kPlugIn, &prompt));
        *closed = WaitForPromptToClose(prompt.window, 8000);
        ASSERT_GT(*closed, 0) << "the prompt did not close itself";
    }

    e2e::WineVersionForBar windows7_;
    std::unique_ptr<BarRun> run_;
    std::unique_ptr<e2e::JournalClock> clock_;
    const ChildProcess* process_ = nullptr;
    HWND bar_ = nullptr;
};

struct FunctionButton {
    int id;
    const char* call;
};

// The function code of every button that runs one: the hardware's table, not a rule of the ids.
// On a machine whose answer to 0x1900 is not 1 the CRT/LCD switch runs at once.
TEST_F(BarCommands, EachButtonRunsItsOwnFunctionOnce) {
    ASSERT_TRUE(Start(MachineProfile(kAllButtons, "Query1900=0\r\n")));
    ASSERT_GT(ShowBar(), 0);
    const FunctionButton buttons[] = {
        {1000, "GetLong32 0x200 0xD -> 0x0"},  {1001, "GetLong32 0x200 0x1 -> 0x0"},
        {1002, "GetLong32 0x200 0x2 -> 0x0"},  {1003, "GetLong32 0x200 0x3 -> 0x0"},
        {1004, "GetLong32 0x200 0x4 -> 0x0"},  {1005, "GetLong32 0x200 0x5 -> 0x0"},
        {1006, "GetLong32 0x200 0x7 -> 0x0"},  {1007, "GetLong32 0x200 0x8 -> 0x0"},
        {1008, "GetLong32 0x200 0x9 -> 0x0"},  {1009, "GetLong32 0x200 0xA -> 0x0"},
        {1010, "GetLong32 0x200 0xB -> 0x0"},  {1011, "GetLong32 0x200 0xC -> 0x0"},
        {1015, "GetLong32 0x200 0x81 -> 0x0"}, {1016, "GetLong32 0x200 0x82 -> 0x0"},
        {1017, "GetLong32 0x200 0x83 -> 0x0"},
    };
    const size_t from = Journal().size();
    std::vector<std::string> expected;
    for (const FunctionButton& button : buttons) {
        SCOPED_TRACE(button.id);
        const size_t before = Journal().size();
        ASSERT_TRUE(e2e::ClickBarButton(bar_, button.id)) << "button not under the pointer";
        ASSERT_NE(WaitForCall(before, button.call, 10000), kNoLine);
        expected.push_back(button.call);
    }
    EXPECT_EQ(e2e::FindCablePrompt(process_->ProcessId()).window, nullptr);

    // The hide button, clicked last: the bar goes and its shown bit is cleared. The hide runs
    // once every command before it has ended, so nothing but the functions reached the machine
    // before it: no prompt, no cable register read, no second call.
    ASSERT_TRUE(e2e::ClickBarButton(bar_, 1100));
    std::vector<JournalLine> journal;
    ASSERT_NE(WaitForCall(from, "WriteEC 0x75B 0x80", 10000, &journal), kNoLine);
    expected.push_back("ReadEC 0x75B -> 0x81");
    expected.push_back("WriteEC 0x75B 0x80");
    EXPECT_EQ(CallsFrom(journal, from), expected);
    EXPECT_FALSE(IsWindowVisible(bar_));
}

// What each kind of command does to the auto-hide timer, told by when the bar hides. The
// command comes well into a show's five seconds: one that re-arms the timer hides the bar five
// seconds after its end, whatever was left of the show's; one that does not leaves the bar to
// hide when the show's five seconds are over, before five seconds from the command have passed.
struct TimerCase {
    const char* label;
    int id;
    int buttons;            // supported buttons, enough to have this one
    const wchar_t* answer;  // arguments of "tamsilctl answer" given before the command, or null
    bool installed;         // the installed version matches: a volume command starts its notice
    const char* lastCall;   // the command's last hardware call; null for a lock key
    DWORD lockKey;          // the key a lock command presses, twice so that the lock ends as it was
    bool rearms;
};

class BarCommandTimer : public BarCommands, public ::testing::WithParamInterface<TimerCase> {};

TEST_P(BarCommandTimer, RearmsTheAutoHideOnlyWhereTheCommandRunsToItsEnd) {
    const TimerCase& c = GetParam();
    std::unique_ptr<e2e::InstalledVersionMatch> installed;
    if (c.installed)
        installed = std::make_unique<e2e::InstalledVersionMatch>();
    std::unique_ptr<e2e::KeyHookRecorder> keys;
    if (c.lockKey) {
        keys = std::make_unique<e2e::KeyHookRecorder>();
        ASSERT_TRUE(keys->Installed());
    }
    ASSERT_TRUE(Start(MachineProfile(e2e::AllSupported(c.buttons))));
    std::string output;
    if (c.answer) {
        ASSERT_EQ(run_->Ctl(std::wstring(L"answer ") + c.answer, output), 0u);
    }
    const double shown = ShowBar();
    ASSERT_GT(shown, 0);
    ASSERT_NO_FATAL_FAILURE(WaitForJournalTime(shown + kIntoTheShow));
    const size_t from = Journal().size();

    // The moment the command's work ended: its last hardware call, or the last key-up.
    double ended = -1;
    double endedSlack = 0;
    if (c.lockKey) {
        e2e::PostCommand(bar_, c.id);
        e2e::PostCommand(bar_, c.id);
        std::vector<e2e::KeyEvent> events;
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] {
                events.clear();
                for (const e2e::KeyEvent& event : keys->Events())
                    if (event.vkCode == c.lockKey)
                        events.push_back(event);
                return events.size() >= 4;
            },
            10000))
            << "the key was not pressed twice";
        ASSERT_NE(events[3].flags & LLKHF_UP, 0u);
        ended = clock_->TickToJournal(events[3].time);
        // Input times are whole ticks of the system's clock.
        endedSlack = 20;
    } else {
        e2e::PostCommand(bar_, c.id);
        std::vector<JournalLine> journal;
        const size_t last = WaitForCall(from, c.lastCall, 10000, &journal);
        ASSERT_NE(last, kNoLine) << c.lastCall;
        ended = journal[last].milliseconds;
    }

    std::vector<JournalLine> journal;
    const size_t hide = WaitForHide(from, static_cast<DWORD>(kIntoTheShow + kAutoHide + kLate) + 5000, journal);
    ASSERT_NE(hide, kNoLine) << "the bar never hid";
    const double sinceEnd = journal[hide].milliseconds - ended;
    if (c.rearms) {
        EXPECT_GE(sinceEnd, kAutoHide - kTimerSlack - endedSlack) << "no fresh five seconds after the command";
        EXPECT_LT(sinceEnd, kAutoHide + kLate);
    } else {
        EXPECT_LT(sinceEnd, kAutoHide - kTimerSlack) << "the command re-armed the timer";
        // The show's timer started after the shown bit's write and the pause behind it.
        EXPECT_GE(journal[hide].milliseconds - shown, kAutoHide + kPause - kTimerSlack);
    }
    EXPECT_FALSE(IsWindowVisible(bar_));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BarCommandTimer,
    ::testing::Values(TimerCase{"Function", 1000, 1, nullptr, false, "GetLong32 0x200 0xD -> 0x0", 0, true},
                      TimerCase{"CrtInDetectUnavailable", 1018, 19, L"0x2500 1", false, "GetLong32 0x2500 0x0 -> 0x1",
                                0, false},
                      TimerCase{"Mute", 1007, 10, nullptr, false, "GetLong32 0x200 0x8 -> 0x0", 0, true},
                      TimerCase{"VolumeDown", 1008, 10, nullptr, false, "GetLong32 0x200 0x9 -> 0x0", 0, true},
                      TimerCase{"VolumeUpWithNotice", 1009, 10, nullptr, true, "GetLong32 0x200 0xA -> 0x0", 0, true},
                      TimerCase{"CapsLock", 1012, 15, nullptr, false, nullptr, VK_CAPITAL, true},
                      TimerCase{"NumLock", 1013, 15, nullptr, false, nullptr, VK_NUMLOCK, true},
                      TimerCase{"ScrollLock", 1014, 15, nullptr, false, nullptr, VK_SCROLL, true}),
    [](const ::testing::TestParamInfo<TimerCase>& info) { return info.param.label; });

// Hiding reads the register, pauses, writes it back with the shown bit cleared and pauses
// again; with the bit clear already it reads and writes all the same. It leaves the
// auto-hide timer running as it was.
TEST_F(BarCommands, HideClearsTheShownBitWithItsPausesAndLeavesTheTimer) {
    ASSERT_TRUE(Start(MachineProfile("1")));
    ASSERT_GT(ShowBar(), 0);
    ASSERT_EQ(run_->ReadRegister(0x75B), 0x81u);
    size_t from = Journal().size();
    // A second command right behind it shows when the hide's last pause ends.
    e2e::PostCommand(bar_, 1100);
    e2e::PostCommand(bar_, 1000);
    std::vector<JournalLine> journal;
    const size_t next = WaitForCall(from, "GetLong32 0x200 0xD -> 0x0", 10000, &journal);
    ASSERT_NE(next, kNoLine);
    ASSERT_EQ(CallsFrom(journal, from),
              (std::vector<std::string>{"ReadEC 0x75B -> 0x81", "WriteEC 0x75B 0x80", "GetLong32 0x200 0xD -> 0x0"}));
    EXPECT_GE(journal[from + 1].milliseconds - journal[from].milliseconds, kPause);
    EXPECT_GE(journal[from + 2].milliseconds - journal[from + 1].milliseconds, kPause);
    EXPECT_FALSE(IsWindowVisible(bar_));
    EXPECT_EQ(run_->ReadRegister(0x75B), 0x80u);

    // Shown again, the bit cleared behind the bar's back, hidden a while later.
    const double shown = ShowBar();
    ASSERT_GT(shown, 0);
    std::string output;
    ASSERT_EQ(run_->Ctl(L"write 0x75B 0x80", output), 0u);
    ASSERT_NO_FATAL_FAILURE(WaitForJournalTime(shown + kIntoTheShow));
    from = Journal().size();
    e2e::PostCommand(bar_, 1100);
    ASSERT_NE(WaitForCall(from, "WriteEC 0x75B 0x80", 10000, &journal), kNoLine);
    ASSERT_EQ(CallsFrom(journal, from), (std::vector<std::string>{"ReadEC 0x75B -> 0x80", "WriteEC 0x75B 0x80"}));
    EXPECT_GE(journal[from + 1].milliseconds - journal[from].milliseconds, kPause);
    const double hidden = journal[from + 1].milliseconds;

    // The timer of the show still runs and hides the hidden bar once more when it expires;
    // a fresh period from the hide would end five seconds after it.
    const size_t expiry = WaitForHide(from + 2, static_cast<DWORD>(kAutoHide + kLate) + 5000, journal);
    ASSERT_NE(expiry, kNoLine) << "the timer of the show did not expire";
    EXPECT_GE(journal[expiry].milliseconds - shown, kAutoHide + kPause - kTimerSlack);
    EXPECT_LT(journal[expiry].milliseconds - hidden, kAutoHide - kTimerSlack) << "the hide re-armed the timer";
}

// With the cable attached the prompt asks to pull it out; closed with Esc, the command goes
// on at once: it reads the cable bit again and stops there, without the switch and without
// a fresh five seconds for the bar.
TEST_F(BarCommands, CrtLcdSwitchStopsAfterThePromptWhileTheCableIsAttached) {
    ASSERT_TRUE(Start(MachineProfile("1 1 1 1", "Reg79B=0x01\r\n")));
    const double shown = ShowBar();
    ASSERT_GT(shown, 0);
    ASSERT_NO_FATAL_FAILURE(WaitForJournalTime(shown + kIntoTheShow));
    const size_t from = Journal().size();
    e2e::PostCommand(bar_, 1003);
    e2e::CablePrompt prompt;
    ASSERT_NO_FATAL_FAILURE(WaitForPromptOverTheBar(kPullOut, &prompt));

    const double escape = JournalNow();
    PostMessageW(prompt.window, WM_KEYDOWN, VK_ESCAPE, 0);
    // The prompt would close itself five seconds after it opened.
    EXPECT_GT(WaitForPromptToClose(prompt.window, 3000), 0) << "Esc did not close the prompt";
    std::vector<JournalLine> journal;
    const size_t expiry = WaitForHide(from, static_cast<DWORD>(kAutoHide + kLate) + 5000, journal);
    ASSERT_NE(expiry, kNoLine) << "the bar never hid";
    ASSERT_GE(expiry, from + 2);
    EXPECT_EQ(CallsFrom(journal, from), (std::vector<std::string>{"ReadEC 0x79B -> 0x1", "ReadEC 0x79B -> 0x1",
                                                                  "ReadEC 0x75B -> 0x81", "WriteEC 0x75B 0x80"}));
    const JournalLine& check = journal[from + 1];
    EXPECT_GE(check.milliseconds - escape, kPause - clock_->Uncertainty());
    EXPECT_LT(check.milliseconds - escape, kLate);
    // The bar hides when the show's five seconds are over, not five seconds after the command.
    EXPECT_LT(journal[expiry].milliseconds - check.milliseconds, kAutoHide - kTimerSlack);
    EXPECT_TRUE(IsWindowEnabled(bar_));
}

// Without the cable the prompt asks to plug it in after three seconds and closes itself after
// five; then the cable bit is read, the switch runs about 100 ms after the prompt closed and
// the bar gets five fresh seconds. Only bit 0 tells of the cable: every other bit of the
// register is set here.
TEST_F(BarCommands, CrtLcdSwitchRunsAfterThePromptWithoutTheCable) {
    ASSERT_TRUE(Start(MachineProfile("1 1 1 1", "Reg79B=0xFE\r\n")));
    const double shown = ShowBar();
    ASSERT_GT(shown, 0);
    // The show's own five seconds end while the prompt is open.
    ASSERT_NO_FATAL_FAILURE(WaitForJournalTime(shown + kIntoTheShow));
    const size_t from = Journal().size();
    e2e::PostCommand(bar_, 1003);
    double closed = -1;
    ASSERT_NO_FATAL_FAILURE(WaitOutThePlugInPrompt(&closed));

    std::vector<JournalLine> journal;
    const size_t function = WaitForCall(from, "GetLong32 0x200 0x3 -> 0x0", 10000, &journal);
    ASSERT_NE(function, kNoLine);
    const size_t opened = from;
    ASSERT_EQ(CallText(journal[opened]), "ReadEC 0x79B -> 0xFE") << "the prompt did not read the cable bit first";
    const size_t check = FindCall(journal, opened + 1, "ReadEC 0x79B -> 0xFE");
    ASSERT_NE(check, kNoLine);
    EXPECT_EQ(check + 1, function);
    // The prompt's read, its pause, its five seconds; a pause, the read, a pause, the switch:
    // about 100 ms after the prompt closed.
    EXPECT_GE(journal[check].milliseconds - journal[opened].milliseconds, kPause + kPromptOpen + kPause - kTimerSlack);
    EXPECT_GE(journal[function].milliseconds - journal[check].milliseconds, kPause);
    // Seen closed no earlier than it closed: a bound from above only.
    EXPECT_LT(journal[function].milliseconds - closed, kLate);
    EXPECT_TRUE(IsWindowEnabled(bar_));

    // Five fresh seconds from the end of the command.
    const size_t expiry = WaitForHide(function + 1, static_cast<DWORD>(kAutoHide + kLate) + 5000, journal);
    ASSERT_NE(expiry, kNoLine) << "no fresh five seconds after the switch";
    EXPECT_GE(journal[expiry].milliseconds - journal[function].milliseconds, kAutoHide - kTimerSlack);
    EXPECT_LT(journal[expiry].milliseconds - journal[function].milliseconds, kAutoHide + kLate);
}

// Only the answer 1 to 0x1900 puts the prompt before the switch: on a machine answering 2 the
// switch runs at once, without the prompt or a look at the cable. A command posted behind it
// runs once it has ended.
TEST_F(BarCommands, CrtLcdSwitchRunsAtOnceUnlessTheSkinAnswerIsOne) {
    ASSERT_TRUE(Start(MachineProfile("1 1 1 1", "Query1900=2\r\n")));
    ASSERT_GT(ShowBar(), 0);
    const size_t from = Journal().size();
    e2e::PostCommand(bar_, 1003);
    e2e::PostCommand(bar_, 1000);
    std::vector<JournalLine> journal;
    ASSERT_NE(WaitForCall(from, "GetLong32 0x200 0xD -> 0x0", 10000, &journal), kNoLine);
    EXPECT_EQ(CallsFrom(journal, from),
              (std::vector<std::string>{"GetLong32 0x200 0x3 -> 0x0", "GetLong32 0x200 0xD -> 0x0"}));
    EXPECT_EQ(e2e::FindCablePrompt(process_->ProcessId()).window, nullptr);
}

// Detection unavailable (answer exactly 1): the button is disabled and nothing else happens.
// Any other answer, 2 here: the prompt, a pause once it has closed, then the detection, with
// no read of the cable bit of its own.
TEST_F(BarCommands, CrtInDetectDisablesItsButtonOrRunsAfterThePrompt) {
    ASSERT_TRUE(Start(MachineProfile(kAllButtons, "Reg79B=0x00\r\n")));
    ASSERT_GT(ShowBar(), 0);
    HWND button = GetDlgItem(bar_, 1018);
    ASSERT_TRUE(IsWindowEnabled(button));
    std::string output;
    ASSERT_EQ(run_->Ctl(L"answer 0x2500 1", output), 0u);
    size_t from = Journal().size();
    ASSERT_TRUE(e2e::ClickBarButton(bar_, 1018));
    ASSERT_NE(WaitForCall(from, "GetLong32 0x2500 0x0 -> 0x1", 10000), kNoLine);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !IsWindowEnabled(button); }, 5000));
    // The hide, sent behind it, runs once the command has ended: a prompt would have held it
    // back, and any call of the command would come before it.
    e2e::PostCommand(bar_, 1100);
    std::vector<JournalLine> journal;
    ASSERT_NE(WaitForCall(from, "WriteEC 0x75B 0x80", 10000, &journal), kNoLine);
    EXPECT_EQ(CallsFrom(journal, from),
              (std::vector<std::string>{"GetLong32 0x2500 0x0 -> 0x1", "ReadEC 0x75B -> 0x81", "WriteEC 0x75B 0x80"}));

    // The refresh event asks again and enables the button.
    ASSERT_EQ(run_->Ctl(L"answer 0x2500 2", output), 0u);
    ASSERT_EQ(run_->Ctl(L"event 0xA3", output), 0u);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, 10000));
    ASSERT_GT(ShowBar(), 0);
    from = Journal().size();
    ASSERT_TRUE(e2e::ClickBarButton(bar_, 1018));
    double closed = -1;
    ASSERT_NO_FATAL_FAILURE(WaitOutThePlugInPrompt(&closed));

    const size_t detection = WaitForCall(from, "GetLong32 0x200 0x84 -> 0x0", 10000, &journal);
    ASSERT_NE(detection, kNoLine);
    ASSERT_EQ(CallText(journal[from]), "GetLong32 0x2500 0x0 -> 0x2");
    ASSERT_EQ(CallText(journal[from + 1]), "ReadEC 0x79B -> 0x0");
    // The bar may have hidden while the prompt was open; nothing else came between.
    for (size_t i = from + 2; i < detection; ++i)
        EXPECT_TRUE(IsStateRead(journal[i]) || IsStateWrite(journal[i])) << CallText(journal[i]);
    // The prompt's read, its pause, its five seconds; a pause, the detection.
    EXPECT_GE(journal[detection].milliseconds - journal[from + 1].milliseconds,
              kPause + kPromptOpen + kPause - kTimerSlack);
    EXPECT_LT(journal[detection].milliseconds - closed, kLate);
}

// Up to the volume buttons (mute, down, up) of the display-notice tests.
const std::string kVolumeButtons = e2e::AllSupported(10);

// A notice code that the bar never sends, for the stand-in's own notice.
constexpr unsigned kOwnNotice = 0x5A5A;

// The journal lines of `call` from `from` on, waited for until there are `count`.
std::vector<const JournalLine*> WaitForCalls(const BarRun& run, size_t from, const std::string& call, size_t count,
                                             std::vector<JournalLine>& journal) {
    std::vector<const JournalLine*> lines;
    testsupport::WaitUntil(
        [&] {
            journal = run.Journal();
            lines.clear();
            for (size_t i = from; i < journal.size(); ++i)
                if (CallText(journal[i]) == call)
                    lines.push_back(&journal[i]);
            return lines.size() >= count;
        },
        10000);
    return lines;
}

// Whether commands that ran at the journal times given came within the notice's pause of each
// other, which is what lets a worker that read its code late take the next command's code.
// Said in the test's output when they did not: the run then shows less.
void NoteWhetherWithinThePause(double first, double last) {
    if (last - first >= kNoticePause)
        std::cout << "[ note     ] the commands came " << last - first << " ms apart, not within the notice's pause"
                  << std::endl;
}

// Without the expected installed version no notice is sent, though the functions run.
TEST_F(BarCommands, NoDisplayNoticeWithoutTheExpectedInstalledVersion) {
    ASSERT_TRUE(Start(MachineProfile(kVolumeButtons)));
    ASSERT_EQ(GetPrivateProfileIntW(L"record", L"VisScan", -1, run_->Folder().File(L"test.ini").c_str()), -1)
        << "the installed version matched";
    e2e::OsdStandIn display(run_->Folder());
    ASSERT_TRUE(display.Ready());
    ASSERT_GT(ShowBar(), 0);
    const size_t from = Journal().size();
    for (int id : {1007, 1008, 1009})
        e2e::PostCommand(bar_, id);
    std::vector<JournalLine> journal;
    const size_t last = WaitForCall(from, "GetLong32 0x200 0xA -> 0x0", 10000, &journal);
    ASSERT_NE(last, kNoLine);
    EXPECT_EQ(CallsFrom(journal, from),
              (std::vector<std::string>{"GetLong32 0x200 0x8 -> 0x0", "GetLong32 0x200 0x9 -> 0x0",
                                        "GetLong32 0x200 0xA -> 0x0"}));
    // Past the time a notice would have been sent, and every notice sent by then received.
    ASSERT_NO_FATAL_FAILURE(WaitForJournalTime(journal[last].milliseconds + kNoticePause + kLate));
    ASSERT_TRUE(display.ReceivedAfterOwnNotice(kOwnNotice, 10000));
    const std::vector<e2e::OsdNotice> notices = display.Notices();
    ASSERT_EQ(notices.size(), 1u) << "the bar sent a notice";
    EXPECT_EQ(notices[0].lParam, kOwnNotice);
}

// Each volume command sends its own code 300 ms or more after it ran, also when the next
// command comes within those 300 ms. The notices may come in any order; the k-th notice comes
// at least 300 ms after the k-th command all the same.
TEST_F(BarCommands, EachVolumeCommandSendsItsOwnDisplayNotice) {
    e2e::InstalledVersionMatch installed;
    ASSERT_TRUE(Start(MachineProfile(kVolumeButtons)));
    ASSERT_EQ(GetPrivateProfileIntW(L"record", L"VisScan", -1, run_->Folder().File(L"test.ini").c_str()), 1)
        << "the installed version did not match";
    e2e::OsdStandIn display(run_->Folder());
    ASSERT_TRUE(display.Ready());
    ASSERT_GT(ShowBar(), 0);

    // Volume up three times.
    size_t from = Journal().size();
    for (int i = 0; i < 3; ++i)
        e2e::PostCommand(bar_, 1009);
    std::vector<JournalLine> journal;
    const auto ups = WaitForCalls(*run_, from, "GetLong32 0x200 0xA -> 0x0", 3, journal);
    ASSERT_EQ(ups.size(), 3u);
    NoteWhetherWithinThePause(ups[0]->milliseconds, ups[2]->milliseconds);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return display.Notices().size() >= 3; }, 10000));
    std::vector<e2e::OsdNotice> notices = display.Notices();
    ASSERT_EQ(notices.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(notices[i].wParam, 0u);
        EXPECT_EQ(notices[i].lParam, 0xB0u);
        const double after = clock_->ToJournal(notices[i].counterMilliseconds) - ups[i]->milliseconds;
        EXPECT_GE(after, kNoticePause - clock_->Uncertainty());
        EXPECT_LT(after, kNoticePause + kLate);
    }

    // Mute, then volume down: one notice each, in whichever order.
    from = journal.size();
    e2e::PostCommand(bar_, 1007);
    e2e::PostCommand(bar_, 1008);
    const size_t down = WaitForCall(from, "GetLong32 0x200 0x9 -> 0x0", 10000, &journal);
    ASSERT_NE(down, kNoLine);
    const size_t mute = FindCall(journal, from, "GetLong32 0x200 0x8 -> 0x0");
    ASSERT_NE(mute, kNoLine);
    ASSERT_LT(mute, down);
    NoteWhetherWithinThePause(journal[mute].milliseconds, journal[down].milliseconds);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return display.Notices().size() >= 5; }, 10000));
    notices = display.Notices();
    ASSERT_EQ(notices.size(), 5u);
    for (const auto& [code, call] : {std::pair<unsigned, size_t>{0xA0, mute}, {0xAE, down}}) {
        SCOPED_TRACE(code);
        const auto notice =
            std::find_if(notices.begin() + 3, notices.end(), [&](const e2e::OsdNotice& n) { return n.lParam == code; });
        ASSERT_NE(notice, notices.end());
        EXPECT_EQ(notice->wParam, 0u);
        const double after = clock_->ToJournal(notice->counterMilliseconds) - journal[call].milliseconds;
        EXPECT_GE(after, kNoticePause - clock_->Uncertainty());
        EXPECT_LT(after, kNoticePause + kLate);
    }
}

// Each lock button presses its key as a keyboard would: down, 200 ms, up, not as an extended
// key. Each is pressed twice, so that the locks end as they were. The presses are posted: a
// second real click on the same button soon after the first was at times lost under Wine,
// and the click itself is tested with the function buttons.
TEST_F(BarCommands, LockButtonsPressTheirKeyForTwoHundredMilliseconds) {
    e2e::KeyHookRecorder keys;
    ASSERT_TRUE(keys.Installed());
    ASSERT_TRUE(Start(MachineProfile(e2e::AllSupported(15))));
    ASSERT_GT(ShowBar(), 0);
    const std::pair<int, DWORD> buttons[] = {{1012, VK_CAPITAL}, {1013, VK_NUMLOCK}, {1014, VK_SCROLL}};
    for (const auto& [id, key] : buttons) {
        SCOPED_TRACE(id);
        auto ofKey = [&, key = key] {
            std::vector<e2e::KeyEvent> events;
            for (const e2e::KeyEvent& event : keys.Events())
                if (event.vkCode == key)
                    events.push_back(event);
            return events;
        };
        // A command sent behind the two presses runs once both have ended: every key of them
        // has been made by then.
        const size_t from = Journal().size();
        e2e::PostCommand(bar_, id);
        e2e::PostCommand(bar_, id);
        e2e::PostCommand(bar_, 1000);
        ASSERT_NE(WaitForCall(from, "GetLong32 0x200 0xD -> 0x0", 10000), kNoLine);
        // The hook may take the last of them a moment later.
        testsupport::WaitUntil([&] { return ofKey().size() >= 4u; }, 10000);
        const std::vector<e2e::KeyEvent> events = ofKey();
        ASSERT_EQ(events.size(), 4u) << keys.Events().size() << " events of any key";
        for (size_t i = 0; i < events.size(); i += 2) {
            const e2e::KeyEvent& down = events[i];
            const e2e::KeyEvent& up = events[i + 1];
            EXPECT_EQ(down.flags & LLKHF_UP, 0u);
            EXPECT_NE(up.flags & LLKHF_UP, 0u);
            for (const e2e::KeyEvent& event : {down, up}) {
                EXPECT_EQ(event.flags & LLKHF_EXTENDED, 0u);
                EXPECT_NE(event.flags & LLKHF_INJECTED, 0u);
            }
            EXPECT_GE(up.time - down.time, 200u);
            EXPECT_LT(up.time - down.time, 200u + static_cast<DWORD>(kLate));
        }
    }
}

}  // namespace
