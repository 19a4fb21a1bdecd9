// What start-up leaves for the system's shell: the notification-area icon's record and the
// About entry of the bar's system menu. The real dialog runs in this process on a simulated
// machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "BarDialogRun.h"
#include "ImportRedirect.h"

namespace {

using bartest::BarDialogRun;

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
