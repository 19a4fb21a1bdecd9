// The cable prompt run in the test's own process on a machine of its own, without the bar as
// its owner: its text by the cable bit, its font and look, and how it ends (by itself after
// five seconds, or at once by Esc or Enter). The test watches the prompt from the prompt's own
// thread, inside its modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "BarDialogRun.h"
#include "TestSupport.h"
#include "bar/Hardware.h"
#include "bar/LCDMS.h"

namespace {

using bartest::BarDialogRun;
using testsupport::CounterMilliseconds;

const std::wstring kPullOut = L"           Please pull out monitor cable";
const std::wstring kPlugIn = L"Please plug in monitor cable after 3 seconds";

// A key as the keyboard gives it to the thread of `window`: to its focus, else to the window.
void PostKey(HWND window, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : window;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

struct PromptSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindPrompt(HWND window, LPARAM lParam) {
    if (testsupport::IsShownDialog(window) && testsupport::WindowText(window) == L"Van Telo II") {
        reinterpret_cast<PromptSearch*>(lParam)->found = window;
        return FALSE;
    }
    return TRUE;
}

// What the prompt showed and how its run ended.
struct PromptRun {
    INT_PTR result = 0;
    bool shown = false;
    std::wstring text;
    LOGFONTW font{};
    bool topmost = false;
    bool hiddenControlSeen = false;
    double openFor = 0;    // from the call of DoModal to its return, in ms
    double afterKey = -1;  // from the key to the return of DoModal, in ms
    std::vector<std::string> journal;
};

// The prompt as the watch has found it, and the key it is to press.
struct PromptWatch {
    PromptRun* seen;
    UINT key;
    HWND prompt = nullptr;
    double keyAt = -1;
};
PromptWatch* g_watch = nullptr;

// Records the prompt once it is on screen and presses the key; from then on, at every tick,
// whether the hidden control has become visible.
void CALLBACK WatchPrompt(HWND, UINT, UINT_PTR, DWORD) {
    PromptWatch& watch = *g_watch;
    PromptRun& seen = *watch.seen;
    if (!watch.prompt) {
        PromptSearch search;
        EnumThreadWindows(GetCurrentThreadId(), FindPrompt, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            return;
        watch.prompt = search.found;
        seen.shown = true;
        seen.topmost = (GetWindowLongW(watch.prompt, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        HWND text = GetDlgItem(watch.prompt, 1018);
        seen.text = testsupport::WindowText(text);
        if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)))
            GetObjectW(font, sizeof(seen.font), &seen.font);
        if (watch.key) {
            watch.keyAt = CounterMilliseconds();
            PostKey(watch.prompt, watch.key);
        }
    }
    if (IsWindow(watch.prompt) && IsWindowVisible(GetDlgItem(watch.prompt, 1017)))
        seen.hiddenControlSeen = true;
}

// A machine whose cable register holds the case's value, and the register interface that the
// prompt reads, as the bar's start-up makes it.
class CablePrompt : public ::testing::Test {
protected:
    ~CablePrompt() override { g_pTamsilEC = saved_; }

    void UseMachine(unsigned cable) {
        char value[16];
        snprintf(value, sizeof(value), "0x%X", cable);
        run_ = std::make_unique<BarDialogRun>(bartest::ProfileWithBytes("1", std::string("Reg79B=") + value + "\r\n"));
        ec_ = std::make_unique<TamsilEC>();
        g_pTamsilEC = ec_.get();
    }

    // Runs the prompt on this thread and watches it from a timer of this thread, which fires
    // inside the prompt's own modal loop; `key`, when not 0, is pressed once the prompt is on
    // screen.
    PromptRun Run(UINT key) {
        PromptRun seen;
        PromptWatch watch{&seen, key};
        g_watch = &watch;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, WatchPrompt);
        const double start = CounterMilliseconds();
        {
            LCDMS prompt;
            seen.result = prompt.DoModal();
        }
        const double end = CounterMilliseconds();
        KillTimer(nullptr, timer);
        g_watch = nullptr;
        seen.openFor = end - start;
        if (watch.keyAt >= 0)
            seen.afterKey = end - watch.keyAt;
        seen.journal = run_->Journal();
        return seen;
    }

    std::unique_ptr<BarDialogRun> run_;
    std::unique_ptr<TamsilEC> ec_;
    TamsilEC* saved_ = g_pTamsilEC;
};

// The prompt's own text is the one that bit 0 of the cable register chooses; the template's
// never shows. Its font, its topmost place and its hidden control are the same for both.
struct TextCase {
    const char* label;
    unsigned cable;
    UINT key;
    INT_PTR result;
    const std::wstring* text;
};

class CablePromptText : public CablePrompt, public ::testing::WithParamInterface<TextCase> {};

TEST_P(CablePromptText, ShowsTheTextOfTheCableBitAndEndsAtOnceByKey) {
    const TextCase& c = GetParam();
    UseMachine(c.cable);
    const PromptRun seen = Run(c.key);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, *c.text);
    EXPECT_TRUE(seen.topmost);
    EXPECT_FALSE(seen.hiddenControlSeen);
    EXPECT_EQ(std::wstring(seen.font.lfFaceName), L"Arial");
    EXPECT_EQ(seen.font.lfHeight, 20);
    EXPECT_EQ(seen.font.lfWeight, FW_NORMAL);
    EXPECT_EQ(seen.font.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(seen.font.lfPitchAndFamily, FF_ROMAN | DEFAULT_PITCH);
    // An upright plain face: neither slanted nor lined.
    EXPECT_EQ(seen.font.lfItalic, 0);
    EXPECT_EQ(seen.font.lfUnderline, 0);
    EXPECT_EQ(seen.font.lfStrikeOut, 0);
    EXPECT_EQ(seen.result, c.result);
    EXPECT_GE(seen.afterKey, 0);
    // Well before the prompt's own close five seconds after it opened.
    EXPECT_LT(seen.afterKey, 4000) << "the key did not end the prompt at once";
}

INSTANTIATE_TEST_SUITE_P(CableBit, CablePromptText,
                         ::testing::Values(TextCase{"AttachedEsc", 0x01, VK_ESCAPE, IDCANCEL, &kPullOut},
                                           TextCase{"AbsentEnter", 0x00, VK_RETURN, IDOK, &kPlugIn},
                                           TextCase{"OnlyBitZeroCounts", 0xFE, VK_ESCAPE, IDCANCEL, &kPlugIn}),
                         [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.label; });

// Left alone, the prompt reads the cable register once, pauses, and closes itself with OK
// five seconds later.
TEST_F(CablePrompt, ClosesItselfWithOkAfterFiveSeconds) {
    UseMachine(0x01);
    const PromptRun seen = Run(0);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.result, IDOK);
    EXPECT_GE(seen.openFor, 50 + 5000);
    EXPECT_LT(seen.openFor, 15000) << "the prompt did not close by itself";
    std::vector<std::string> calls;
    for (const std::string& line : seen.journal)
        calls.push_back(line.substr(line.find(' ') + 1));
    EXPECT_EQ(calls, std::vector<std::string>{"ReadEC 0x79B -> 0x1"});
}

}  // namespace
