// The bar between start-up and end, apart from events and commands: its message filter row
// by row, the repaint and auto-hide timers, the drag by the background, and the relayout
// after a display change. The real dialog runs in this process on a simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "BarDialogRun.h"
#include "GdiObjectCounter.h"
#include "MessageBoxes.h"
#include "bar/ButtonSet.h"
#include "bar/Hardware.h"
#include "bar/SkinLayout.h"
#include "skin/SkinPack.h"

namespace {

using bartest::BarDialogRun;

const std::string kOneButton = bartest::ProfileWithBytes("1");
const std::string kNineteenButtons = bartest::ProfileWithBytes("1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1");

// Whether the auto-hide timer runs; it is stopped by the asking.
bool AutoHideArmed(const CNewVanteloDlg& bar) {
    return ::KillTimer(bar.m_hWnd, kAutoHideTimer) != FALSE;
}

// What the tool-tip control is handed to relay, seen through its window procedure.
class RelaySpy {
public:
    explicit RelaySpy(HWND toolTip) : toolTip_(toolTip) {
        spy_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(toolTip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RelaySpy::Procedure)));
    }
    ~RelaySpy() {
        SetWindowLongPtrW(toolTip_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        spy_ = nullptr;
    }
    RelaySpy(const RelaySpy&) = delete;
    RelaySpy& operator=(const RelaySpy&) = delete;

    int relayed = 0;
    UINT lastMessage = 0;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == TTM_RELAYEVENT) {
            ++spy_->relayed;
            spy_->lastMessage = reinterpret_cast<const MSG*>(lParam)->message;
        }
        return CallWindowProcW(spy_->previous_, window, message, wParam, lParam);
    }

    static RelaySpy* spy_;
    HWND toolTip_;
    WNDPROC previous_ = nullptr;
};
RelaySpy* RelaySpy::spy_ = nullptr;

struct FilterRow {
    const char* label;
    UINT message;
    WPARAM wParam;
    int idleBefore, draggingBefore;
    int idleAfter, draggingAfter;
    bool rearmed;
    bool swallowed;
};

// Every row of the filter's state table, each from the flags it names, against one bar.
TEST(BarFilter, EachMessageMovesTheFlagsAndTheTimerAsItsRowSays) {
    const FilterRow rows[] = {
        {"MouseMoveEndsIdle", WM_MOUSEMOVE, 0, 1, 1, 0, 1, true, false},
        {"LeftPressStartsDragging", WM_LBUTTONDOWN, MK_LBUTTON, 0, 0, 0, 1, false, false},
        {"LeftPressKeepsIdle", WM_LBUTTONDOWN, MK_LBUTTON, 1, 0, 1, 1, false, false},
        {"LeftReleaseEndsDragging", WM_LBUTTONUP, 0, 1, 1, 1, 0, true, false},
        {"LeftReleaseKeepsBusy", WM_LBUTTONUP, 0, 0, 1, 0, 0, true, false},
        {"EnterSwallowed", WM_KEYDOWN, VK_RETURN, 0, 1, 0, 1, false, true},
        {"EscapeSwallowed", WM_KEYDOWN, VK_ESCAPE, 1, 0, 1, 0, false, true},
        {"LetterSwallowed", WM_KEYDOWN, 'A', 0, 0, 0, 0, false, true},
        {"FirstOtherMessageAfterAMove", WM_NULL, 0, 0, 1, 1, 0, true, false},
        {"LaterOtherMessage", WM_NULL, 0, 1, 1, 1, 1, false, false},
        {"PostedCaptionPressIsOther", WM_NCLBUTTONDOWN, HTCAPTION, 0, 1, 1, 0, true, false},
        {"PostedCaptionPressWhileIdle", WM_NCLBUTTONDOWN, HTCAPTION, 1, 1, 1, 1, false, false},
    };
    BarDialogRun run(kOneButton);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        RelaySpy spy(bar.m_toolTip.m_hWnd);
        for (const FilterRow& row : rows) {
            SCOPED_TRACE(row.label);
            bar.m_bIdle = row.idleBefore;
            g_bDragging = row.draggingBefore;
            AutoHideArmed(bar);
            const int relayedBefore = spy.relayed;
            MSG message{bar.m_hWnd, row.message, row.wParam, 0, GetTickCount(), {0, 0}};
            const BOOL result = bar.PreTranslateMessage(&message);
            EXPECT_EQ(result != FALSE, row.swallowed);
            EXPECT_EQ(bar.m_bIdle, row.idleAfter);
            EXPECT_EQ(g_bDragging, row.draggingAfter);
            EXPECT_EQ(AutoHideArmed(bar), row.rearmed);
            EXPECT_EQ(spy.relayed, relayedBefore + 1) << "every message goes to the tool tips";
            EXPECT_EQ(spy.lastMessage, row.message);
        }
        bar.RearmAutoHide();
    }));
}

// WM_SYSKEYDOWN is not a key press to swallow: it counts as an other message and goes on to
// the dialog's own key handling.
TEST(BarFilter, SystemKeyIsAnOtherMessage) {
    BarDialogRun run(kOneButton);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        bar.m_bIdle = 0;
        g_bDragging = 1;
        AutoHideArmed(bar);
        MSG message{bar.m_hWnd, WM_SYSKEYDOWN, VK_SHIFT, 0, GetTickCount(), {0, 0}};
        bar.PreTranslateMessage(&message);
        EXPECT_EQ(bar.m_bIdle, 1);
        EXPECT_EQ(g_bDragging, 0);
        EXPECT_TRUE(AutoHideArmed(bar));
        bar.RearmAutoHide();
    }));
}

// The OK and Cancel commands that reach the bar window, where the dialog's OnOK and OnCancel
// would end it, and a marker message that tells when the queue before it has been worked off.
class EndCommandSpy {
public:
    static constexpr UINT kMarker = WM_APP + 1;

    explicit EndCommandSpy(HWND bar) : bar_(bar) {
        spy_ = this;
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EndCommandSpy::Procedure)));
    }
    ~EndCommandSpy() {
        SetWindowLongPtrW(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        spy_ = nullptr;
    }
    EndCommandSpy(const EndCommandSpy&) = delete;
    EndCommandSpy& operator=(const EndCommandSpy&) = delete;

    int ok = 0;
    int cancel = 0;
    bool markerSeen = false;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
            ++spy_->ok;
        if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
            ++spy_->cancel;
        if (message == kMarker)
            spy_->markerSeen = true;
        return CallWindowProcW(spy_->previous_, window, message, wParam, lParam);
    }

    static EndCommandSpy* spy_;
    HWND bar_;
    WNDPROC previous_ = nullptr;
};
EndCommandSpy* EndCommandSpy::spy_ = nullptr;

// Enter and Esc, to the bar or to its focused button, reach neither OK nor Cancel and leave
// the bar up.
TEST(BarFilter, EnterAndEscapeThroughTheLoopReachNeitherOkNorCancel) {
    BarDialogRun run(kOneButton);
    int ok = -1, cancel = -1;
    bool worked = false, stillUp = false;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        EndCommandSpy spy(bar.m_hWnd);
        for (HWND target : {bar.m_hWnd, bar.m_btn[1].m_hWnd, bar.m_btn[kHideButton].m_hWnd})
            for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
                PostMessageW(target, WM_KEYDOWN, key, 1);
                PostMessageW(target, WM_KEYUP, key, 0xC0000001);
            }
        // Posted last, so it comes through the loop after every key.
        bar.PostMessage(EndCommandSpy::kMarker);
        worked = BarDialogRun::Pump(10000, [&] { return spy.markerSeen; });
        ok = spy.ok;
        cancel = spy.cancel;
        stillUp = IsWindow(bar.m_hWnd) && bar.IsWindowVisible();
    }));
    ASSERT_TRUE(worked) << "the keys were not worked off";
    EXPECT_EQ(ok, 0) << "a key reached OK";
    EXPECT_EQ(cancel, 0) << "a key reached Cancel";
    EXPECT_TRUE(stillUp);
}

std::vector<std::string> JournalSince(BarDialogRun& run, size_t from) {
    const auto journal = run.Journal();
    return {journal.begin() + static_cast<long>(std::min(from, journal.size())), journal.end()};
}

// The hide reads the state register, pauses, and writes it with bit 0 cleared and the other
// bits as read, also when bit 0 was clear already.
TEST(BarTimers, AutoHideExpiryHidesTheBarAndClearsTheShownBit) {
    BarDialogRun run(kOneButton);
    struct Hide {
        unsigned before;
        std::vector<std::string> calls;
        double pause;
        bool visibleAfter;
    } hides[] = {{0x81, {}, 0, true}, {0x80, {}, 0, true}};
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        for (Hide& hide : hides) {
            run.Machine().SetRegister(kBarStateRegister, hide.before);
            bar.ShowWindow(SW_SHOW);
            const size_t from = run.Journal().size();
            bar.SendMessage(WM_TIMER, kAutoHideTimer);
            hide.visibleAfter = bar.IsWindowVisible() != FALSE;
            const auto lines = JournalSince(run, from);
            for (const std::string& line : lines)
                hide.calls.push_back(line.substr(line.find(' ') + 1));
            if (lines.size() == 2)
                hide.pause = std::stod(lines[1]) - std::stod(lines[0]);
            EXPECT_FALSE(AutoHideArmed(bar)) << "the expiry kills the timer";
        }
    }));
    EXPECT_EQ(hides[0].calls, (std::vector<std::string>{"ReadEC 0x75B -> 0x81", "WriteEC 0x75B 0x80"}));
    EXPECT_EQ(hides[1].calls, (std::vector<std::string>{"ReadEC 0x75B -> 0x80", "WriteEC 0x75B 0x80"}));
    for (const Hide& hide : hides) {
        EXPECT_GE(hide.pause, 50.0);
        EXPECT_FALSE(hide.visibleAfter);
    }
}

TEST(BarTimers, ExpiryWhileDraggingKeepsTheBarAndLeavesTheTimerStopped) {
    BarDialogRun run(kOneButton);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        g_bDragging = 1;
        const size_t from = run.Journal().size();
        bar.SendMessage(WM_TIMER, kAutoHideTimer);
        EXPECT_TRUE(bar.IsWindowVisible());
        EXPECT_FALSE(AutoHideArmed(bar));
        EXPECT_TRUE(JournalSince(run, from).empty());
        g_bDragging = 0;
        bar.RearmAutoHide();
    }));
}

TEST(BarTimers, RepaintTimerInvalidatesAndOtherIdsDoNothing) {
    BarDialogRun run(kOneButton);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        const size_t from = run.Journal().size();
        ValidateRect(bar.m_hWnd, nullptr);
        bar.SendMessage(WM_TIMER, 7);
        EXPECT_FALSE(GetUpdateRect(bar.m_hWnd, nullptr, FALSE));
        EXPECT_TRUE(bar.IsWindowVisible());
        bar.SendMessage(WM_TIMER, kRepaintTimer);
        EXPECT_TRUE(GetUpdateRect(bar.m_hWnd, nullptr, FALSE));
        EXPECT_TRUE(JournalSince(run, from).empty());
    }));
}

// Left to itself, the bar hides 5 s after the last re-arm, not sooner.
TEST(BarTimers, BarHidesFiveSecondsAfterTheLastRearm) {
    BarDialogRun run(kOneButton);
    DWORD shownFor = 0;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        // Past the first other message after the show, which re-arms the timer once more.
        ASSERT_TRUE(BarDialogRun::Pump(5000, [&] { return bar.m_bIdle == 1; }));
        const DWORD armed = GetTickCount();
        bar.RearmAutoHide();
        BarDialogRun::Pump(20000, [&] { return !bar.IsWindowVisible(); });
        shownFor = GetTickCount() - armed;
    }));
    EXPECT_GE(shownFor, 4980u);
    // Only a bar that does not hide by itself fails here, not a late timer on a busy machine.
    EXPECT_LT(shownFor, 15000u);
    EXPECT_EQ(run.Machine().PeekRegister(kBarStateRegister) & 1, 0u);
}

// A press on the background starts a drag: the bar posts itself the caption press that the
// system turns into a move, with the point as received.
TEST(BarPointer, PressOnTheBackgroundPostsACaptionPress) {
    BarDialogRun run(kOneButton);
    MSG posted{};
    bool found = false;
    LRESULT hit = 0;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        g_bDragging = 0;
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
        EXPECT_EQ(g_bDragging, 1);
        // Taken off the queue before the loop can start the system's move.
        found = PeekMessageW(&posted, bar.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE;
        RECT window;
        bar.GetWindowRect(&window);
        hit = bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 2, window.top + 3));
        g_bDragging = 0;
    }));
    ASSERT_TRUE(found);
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(posted.lParam, MAKELPARAM(2, 3));
    EXPECT_EQ(hit, HTCLIENT);
}

// Answers every message box of this process while it lives, and keeps what they said.
class BoxWatcher {
public:
    BoxWatcher()
        : thread_([this] {
              while (!stop_) {
                  for (const auto& box : testsupport::FindMessageBoxes(GetCurrentProcessId())) {
                      {
                          std::lock_guard<std::mutex> lock(mutex_);
                          texts_.push_back(box.text);
                          captions_.push_back(box.caption);
                      }
                      testsupport::AnswerMessageBox(box, IDOK);
                  }
                  Sleep(25);
              }
          }) {}
    ~BoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }
    std::vector<std::wstring> Captions() {
        std::lock_guard<std::mutex> lock(mutex_);
        return captions_;
    }

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> texts_, captions_;
    std::thread thread_;
};

RECT ClientRectOf(CWnd* control, HWND parent) {
    RECT rect;
    control->GetWindowRect(&rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// After a display change the bar loads the skin again with the answers it has, applies the
// detection rule, lays itself out hidden for its caller to show, and lets the package go. It
// asks the machine nothing but the detection query.
TEST(BarRelayout, LaysOutAgainHiddenAndReleasesThePackage) {
    BarDialogRun run(kNineteenButtons);
    std::vector<std::string> calls;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        RECT before[20], window;
        for (int k = 1; k <= 19; ++k)
            before[k - 1] = ClientRectOf(bar.GetDlgItem(ButtonControl(k)), bar.m_hWnd);
        before[19] = ClientRectOf(bar.GetDlgItem(kHideButtonControl), bar.m_hWnd);
        bar.GetWindowRect(&window);
        const size_t from = run.Journal().size();
        run.Machine().SetAnswer(0x2500, 1);

        ReloadSkinAndLayout(&bar);

        for (const std::string& line : JournalSince(run, from))
            calls.push_back(line.substr(line.find(' ') + 1));
        EXPECT_FALSE(bar.IsWindowVisible());
        EXPECT_EQ(g_pSkinPack, nullptr);
        EXPECT_FALSE(bar.m_btn[kCrtInDetectButton].IsWindowEnabled());
        EXPECT_EQ(g_bmpSurface.width, 20 * 48);
        RECT after;
        bar.GetWindowRect(&after);
        EXPECT_TRUE(EqualRect(&after, &window));
        for (int k = 1; k <= 20; ++k) {
            const RECT now = ClientRectOf(bar.GetDlgItem(k == 20 ? kHideButtonControl : ButtonControl(k)), bar.m_hWnd);
            EXPECT_TRUE(EqualRect(&now, &before[k - 1])) << "button " << k;
        }
    }));
    EXPECT_EQ(calls, std::vector<std::string>{"GetLong32 0x2500 0x0 -> 0x1"});
}

// Every relayout replaces the images and the surface: the device contexts and bitmaps alive
// after two hundred relayouts are those alive after the first.
TEST(BarRelayout, RepeatedRelayoutsKeepTheDrawingObjectsCount) {
    BarDialogRun run(kNineteenButtons);
    int contextsAfterOne = -2, bitmapsAfterOne = -2, contexts = -3, bitmaps = -3;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        skintest::GdiObjectCounter counter;
        ASSERT_TRUE(counter.Installed());
        ReloadSkinAndLayout(&bar);
        contextsAfterOne = counter.LiveDeviceContexts();
        bitmapsAfterOne = counter.LiveDibSections();
        for (int i = 0; i < 200; ++i)
            ReloadSkinAndLayout(&bar);
        contexts = counter.LiveDeviceContexts();
        bitmaps = counter.LiveDibSections();
    }));
    EXPECT_GT(contextsAfterOne, 40) << "the images of twenty buttons, four pieces and the surface";
    EXPECT_EQ(contexts, contextsAfterOne);
    EXPECT_EQ(bitmaps, bitmapsAfterOne);
}

// A package file gone since start-up: the relayout keeps the pictures it has and says nothing.
TEST(BarRelayout, MissingPackageKeepsThePicturesWithoutAMessage) {
    BarDialogRun run(kOneButton);
    BoxWatcher boxes;
    std::vector<BYTE> before, after;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        const auto copy = [] {
            return std::vector<BYTE>(g_bmpSurface.bits,
                                     g_bmpSurface.bits + g_bmpSurface.Stride() * g_bmpSurface.height);
        };
        bar.InvalidateRect(nullptr);
        bar.UpdateWindow();
        before = copy();
        ASSERT_TRUE(DeleteFileW(run.File(L"img\\Vantelo64.SKN").c_str()));
        ReloadSkinAndLayout(&bar);
        bar.ShowWindow(SW_SHOW);
        bar.InvalidateRect(nullptr);
        bar.UpdateWindow();
        after = copy();
    }));
    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(before == after);
    EXPECT_TRUE(boxes.Texts().empty());
}

// When GDI has no room for the background pieces, the relayout says so once and the bar goes
// on: its pictures are empty, and painting it without a surface neither crashes nor leaves it
// invalid.
TEST(BarRelayout, PiecesThatCannotBeMadeAreReportedOnceAndTheBarPaintsOn) {
    BarDialogRun run(kOneButton);
    BoxWatcher boxes;
    int leftWidth = -1;
    bool validated = false;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        {
            skintest::GdiObjectCounter counter;
            ASSERT_TRUE(counter.Installed());
            counter.RefuseDibSections(true);
            ReloadSkinAndLayout(&bar);
        }
        leftWidth = g_bmpLeftBg.width;
        bar.ShowWindow(SW_SHOW);
        bar.InvalidateRect(nullptr);
        bar.UpdateWindow();
        validated = !GetUpdateRect(bar.m_hWnd, nullptr, FALSE);
    }));
    EXPECT_EQ(0, leftWidth) << "a piece that could not be made kept a size";
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Image load error !"});
    EXPECT_TRUE(validated) << "the paint without surface left the bar invalid";
}

// Without any package the start-up says so once and goes on with an empty bar.
TEST(BarStartImages, MissingPackageIsReportedAndTheStartGoesOn) {
    BarDialogRun run(kOneButton);
    for (const wchar_t* name : {L"Vantelo64.SKN", L"Vantelo50.SKN", L"Pemro_Vantelo64.SKN", L"Pemro_Vantelo50.SKN"})
        DeleteFileW(run.File(std::wstring(L"img\\") + name).c_str());
    BoxWatcher boxes;
    int width = -1;
    const bool shown = run.Run([&](CNewVanteloDlg&) { width = g_nBarWidth; });
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Imag load error !"});
    EXPECT_EQ(boxes.Captions(), std::vector<std::wstring>{L"bar_behaviour_test"});
    // A bar of no size may count as not shown; either way the start-up went on to the end.
    if (shown) {
        EXPECT_EQ(width, 0);
    }
    EXPECT_EQ(g_nBarWidth, 0);
    const auto journal = run.Journal();
    EXPECT_TRUE(std::any_of(journal.begin(), journal.end(), [](const std::string& line) {
        return line.find("WriteEC 0x75B 0x80") != std::string::npos;
    })) << "the running bit was set";
}

}  // namespace
