// The end of the user's session as the bar answers its query when the system's default
// processing refuses it, which Wine's never does. The real dialog runs in this process on a
// simulated machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "ImportRedirect.h"

namespace {

using bartest::BarDialogRun;

// The bar hands what it does not handle itself to the dialog's default procedure through
// CallWindowProcW; the replacement refuses the session's end there and passes the rest on.
using CallWindowProcFunction = LRESULT(WINAPI*)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
CallWindowProcFunction g_callWindowProc = nullptr;

LRESULT WINAPI RefuseSessionEnd(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION)
        return FALSE;
    return g_callWindowProc(procedure, window, message, wParam, lParam);
}

// Refused, the bar answers FALSE and stays: its window lives and the controller is told
// nothing, so the running bit stays set.
TEST(BarRefusedSessionEnd, QueryLeavesTheBarRunning) {
    BarDialogRun run(bartest::ProfileWithBytes("1"));
    LRESULT answer = -1;
    bool windowKept = false;
    std::vector<std::string> journalBefore, journalAfter;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        testsupport::ImportRedirect redirect("CallWindowProcW", reinterpret_cast<void*>(&RefuseSessionEnd));
        ASSERT_TRUE(redirect.Installed());
        g_callWindowProc = redirect.Original<CallWindowProcFunction>();
        journalBefore = run.Journal();
        answer = SendMessageW(bar.m_hWnd, WM_QUERYENDSESSION, 0, 0);
        windowKept = IsWindow(bar.m_hWnd) != FALSE;
        journalAfter = run.Journal();
    }));
    EXPECT_EQ(answer, FALSE);
    EXPECT_TRUE(windowKept) << "the bar was destroyed though the session goes on";
    EXPECT_EQ(journalAfter, journalBefore) << "the controller was told of an end";
}

}  // namespace
