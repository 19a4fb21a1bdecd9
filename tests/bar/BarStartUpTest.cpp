// What start-up leaves for the system's shell: the notification-area icon's record and the
// About entry of the bar's system menu. The real dialog runs in this process on a simulated
// machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "ImportRedirect.h"
#include "bar/NewVanteloDlg.h"

namespace {

using bartest::BarDialogRun;
using testsupport::CounterMilliseconds;

const std::string kThreeButtons = bartest::ProfileWithBytes("1 1 1");

TEST(BarStartUp, IconRecordNamesTheBarItsCallbackAndItsTip) {
    BarDialogRun run(kThreeButtons);
    NOTIFYICONDATAW nid{};
    HWND window = nullptr;
    HICON icon = nullptr;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        nid = bar.m_nid;
        window = bar.m_hWnd;
        icon = bar.m_hIcon;
    }));
    // The whole record up to and including the balloon icon handle: 956 bytes on 32 bits.
    EXPECT_EQ(nid.cbSize, sizeof(NOTIFYICONDATAW));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(nid.cbSize, 956u);
    }
    EXPECT_EQ(nid.hWnd, window);
    EXPECT_EQ(nid.uID, 128u);
    EXPECT_EQ(nid.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
    EXPECT_EQ(nid.uCallbackMessage, RegisterWindowMessageW(L"WM_OnVanteloNotify"));
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(nid.hIcon, icon);
    EXPECT_EQ(std::wstring(nid.szTip), L"Vantelo");
    EXPECT_EQ(std::wstring(nid.szInfo), L"");
    EXPECT_EQ(std::wstring(nid.szInfoTitle), L"Vantelo Information");
    EXPECT_EQ(nid.dwInfoFlags, 5u);
    EXPECT_EQ(nid.hBalloonIcon, nullptr);
}

// The program's icon is the window's large and small icon and the icon dragged for it.
TEST(BarStartUp, WindowIconsAndDragIconAreTheProgramIcon) {
    BarDialogRun run(kThreeButtons);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        ASSERT_NE(bar.m_hIcon, nullptr);
        const auto icon = reinterpret_cast<LRESULT>(bar.m_hIcon);
        EXPECT_EQ(bar.SendMessage(WM_GETICON, ICON_BIG), icon);
        EXPECT_EQ(bar.SendMessage(WM_GETICON, ICON_SMALL), icon);
        EXPECT_EQ(bar.SendMessage(WM_QUERYDRAGICON), icon);
    }));
}

// The bar is composed whole at paint time: an erase reports the background as done and
// leaves every pixel as it was.
TEST(BarStartUp, EraseLeavesTheDeviceContextUntouched) {
    BarDialogRun run(kThreeButtons);
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
        ReleaseDC(nullptr, screen);
        ASSERT_NE(bitmap, nullptr);
        HGDIOBJ before = SelectObject(memory, bitmap);
        const COLORREF marker = RGB(12, 200, 34);
        const RECT all{0, 0, 8, 8};
        HBRUSH brush = CreateSolidBrush(marker);
        FillRect(memory, &all, brush);
        DeleteObject(brush);

        EXPECT_NE(bar.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory)), 0);
        EXPECT_EQ(GetPixel(memory, 0, 0), marker);
        EXPECT_EQ(GetPixel(memory, 7, 7), marker);

        SelectObject(memory, before);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }));
}

// Start-up ends with the bar hidden; the modal loop shows it at its first idle moment.
TEST(BarStartUp, EndsHiddenAndTheModalLoopShowsTheBar) {
    BarDialogRun run(kThreeButtons);
    bool visibleAtTheEndOfStartUp = true;
    bool visibleInTheLoop = false;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) { visibleInTheLoop = bar.IsWindowVisible() != FALSE; },
                        [&](CNewVanteloDlg& bar) { visibleAtTheEndOfStartUp = bar.IsWindowVisible() != FALSE; }));
    EXPECT_FALSE(visibleAtTheEndOfStartUp);
    EXPECT_TRUE(visibleInTheLoop);
}

// The repaint tick that start-up sets comes every half second: never sooner, and, on average,
// well before a second.
TEST(BarStartUp, RepaintTickComesEveryHalfSecond) {
    constexpr size_t kTicks = 5;
    BarDialogRun run(kThreeButtons);
    std::vector<double> ticks;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        const testsupport::Deadline deadline(10000);
        while (ticks.size() < kTicks && !deadline.Passed()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                    return;
                }
                if (message.message == WM_TIMER && message.hwnd == bar.m_hWnd && message.wParam == kRepaintTimer)
                    ticks.push_back(CounterMilliseconds());
                afx::PumpMessage(message);
            }
        }
    }));
    ASSERT_EQ(ticks.size(), kTicks) << "the repaint tick did not come";
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i] - ticks[i - 1], kRepaintPeriod - 20.0) << "tick " << i;
    EXPECT_LT((ticks.back() - ticks.front()) / (kTicks - 1), 2.0 * kRepaintPeriod);
}

// Wine gives a window without the system-menu style no system menu, so the bar is handed
// one of the test's own, as a system that gives every window one would.
HMENU g_systemMenu = nullptr;

HMENU WINAPI TestSystemMenu(HWND, BOOL) {
    return g_systemMenu;
}

struct MenuItem {
    UINT type;
    UINT id;
    std::wstring text;
};

MenuItem ItemAt(HMENU menu, int position) {
    WCHAR text[128] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return {info.fType, info.wID, text};
}

TEST(BarStartUp, SystemMenuGainsASeparatorAndTheAboutEntry) {
    BarDialogRun run(kThreeButtons);
    g_systemMenu = CreatePopupMenu();
    ASSERT_NE(g_systemMenu, nullptr);
    AppendMenuW(g_systemMenu, MF_STRING, SC_CLOSE, L"Close");
    int items = 0;
    MenuItem separator, about;
    {
        testsupport::ImportRedirect redirect("GetSystemMenu", reinterpret_cast<void*>(&TestSystemMenu));
        ASSERT_TRUE(redirect.Installed());
        ASSERT_TRUE(run.Run([&](CNewVanteloDlg&) {}));
    }
    items = GetMenuItemCount(g_systemMenu);
    separator = ItemAt(g_systemMenu, 1);
    about = ItemAt(g_systemMenu, 2);
    DestroyMenu(g_systemMenu);
    g_systemMenu = nullptr;
    ASSERT_EQ(items, 3) << "the menu's own item, a separator and the About entry";
    EXPECT_NE(separator.type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(about.type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(about.id, 16u);
    EXPECT_EQ(about.text, L"\u95DC\u65BC NewVantelo(&A)...");
}

}  // namespace
