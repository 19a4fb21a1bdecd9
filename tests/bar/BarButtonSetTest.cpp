// The button set as the real bar dialog builds it on simulated machines: the tool tips and
// their labels, and the support-byte reports that name buttons the bar does not have.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "BarDialogRun.h"
#include "ImportRedirect.h"
#include "SampleSkinSurface.h"
#include "bar/ButtonSet.h"
#include "bar/SkinLayout.h"

namespace {

using bartest::BarDialogRun;

std::string Ones(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += i ? " 1" : "1";
    return bytes;
}

// The tool tips' texts by control id, as the tool-tip control holds them.
std::map<int, std::wstring> ToolTexts(CNewVanteloDlg& bar) {
    std::map<int, std::wstring> texts;
    const int tools = static_cast<int>(bar.m_toolTip.SendMessage(TTM_GETTOOLCOUNT));
    for (int i = 0; i < tools; ++i) {
        WCHAR text[80] = L"";
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.lpszText = text;
        bar.m_toolTip.SendMessage(TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info));
        EXPECT_NE(info.uFlags & TTF_IDISHWND, 0u) << "tools are known by their window";
        bar.m_toolTip.SendMessage(TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
        texts[GetDlgCtrlID(reinterpret_cast<HWND>(info.uId))] = text;
    }
    return texts;
}

// The labels as the bar's table gives them, by control id: the power feature's by the Pemro
// answer, the radio's by the Windows version, the CRT-in-detect button's only when it exists.
std::map<int, std::wstring> ExpectedLabels(bool pemro, bool windows8, bool crtInDetect) {
    std::map<int, std::wstring> labels{{1000, L"BlueTooth on / off"},
                                       {1001, L"Sleep"},
                                       {1002, pemro ? L"Ambrio on / off" : L"Verdel on / off"},
                                       {1003, L"CRT / LCD Switch"},
                                       {1004, windows8 ? L"Radio on / off" : L"Wireless on / off"},
                                       {1005, L"3G on  / off"},
                                       {1006, L"Webcam on / off"},
                                       {1007, L"Mute"},
                                       {1008, L"Volume down"},
                                       {1009, L"Volume up"},
                                       {1010, L"Brightness down"},
                                       {1011, L"Brightness up"},
                                       {1012, L"Caps Lock On/Off"},
                                       {1013, L"Num Lock On/Off"},
                                       {1014, L"Scroll Lock On/Off"},
                                       {1015, L"Auto Adjust"},
                                       {1016, L"White balance"},
                                       {1017, L"Panel set default"},
                                       {1100, L"Hide to system tray"}};
    if (crtInDetect)
        labels[1018] = L"CRT in detect";
    return labels;
}

// The system version that the bar is told, in place of this system's, for the cases that name one.
DWORD g_reportedMajor = 0;
DWORD g_reportedMinor = 0;

BOOL WINAPI ReportVersionOfTheCase(OSVERSIONINFOW* version) {
    version->dwMajorVersion = g_reportedMajor;
    version->dwMinorVersion = g_reportedMinor;
    version->dwBuildNumber = 0;
    version->dwPlatformId = VER_PLATFORM_WIN32_NT;
    version->szCSDVersion[0] = 0;
    return TRUE;
}

struct ToolTipCase {
    const char* label;
    int count;
    const char* answers;
    bool windows8;
    bool crtInDetect;
};

class BarToolTips : public ::testing::TestWithParam<ToolTipCase> {};

TEST_P(BarToolTips, EveryButtonThatCanExistHasItsLabel) {
    const ToolTipCase& c = GetParam();
    BarDialogRun run(bartest::ProfileWithBytes(Ones(c.count), c.answers));
    std::unique_ptr<testsupport::ImportRedirect> version;
    if (c.windows8) {
        g_reportedMajor = 6;
        g_reportedMinor = 2;
        version = std::make_unique<testsupport::ImportRedirect>("GetVersionExW",
                                                                reinterpret_cast<void*>(&ReportVersionOfTheCase));
        ASSERT_TRUE(version->Installed());
    }
    std::map<int, std::wstring> texts;
    COLORREF background = 1, foreground = 1;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        texts = ToolTexts(bar);
        background = static_cast<COLORREF>(bar.m_toolTip.SendMessage(TTM_GETTIPBKCOLOR));
        foreground = static_cast<COLORREF>(bar.m_toolTip.SendMessage(TTM_GETTIPTEXTCOLOR));
    }));
    const bool pemro = std::string(c.answers).find("Query2000=1") != std::string::npos;
    EXPECT_EQ(texts, ExpectedLabels(pemro, c.windows8, c.crtInDetect));
    EXPECT_EQ(background, RGB(255, 255, 255));
    EXPECT_EQ(foreground, RGB(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Machines, BarToolTips,
    ::testing::Values(
        // Buttons the report leaves out are tools too; the CRT-in-detect button only when it exists.
        ToolTipCase{"ThreeButtons", 3, "", false, false}, ToolTipCase{"EighteenButtons", 18, "", false, false},
        ToolTipCase{"NineteenButtons", 19, "", false, true},
        ToolTipCase{"NineteenButtonsPemro", 19, "Query2000=1\r\n", false, true},
        ToolTipCase{"NineteenButtonsWindows8", 19, "", true, true}),
    [](const ::testing::TestParamInfo<ToolTipCase>& info) { return info.param.label; });

struct VersionCase {
    const char* label;
    DWORD major, minor;
    bool dropsBluetoothAnd3G;
};

class BarWindowsVersion : public ::testing::TestWithParam<VersionCase> {};

// Version 6.2 alone has neither Bluetooth nor 3G and names button 5 "Radio"; the versions
// around it, later ones included, keep what the controller reports.
TEST_P(BarWindowsVersion, OnlySixTwoDropsBluetoothAnd3G) {
    const VersionCase& c = GetParam();
    BarDialogRun run(bartest::ProfileWithBytes(Ones(6)));
    g_reportedMajor = c.major;
    g_reportedMinor = c.minor;
    testsupport::ImportRedirect version("GetVersionExW", reinterpret_cast<void*>(&ReportVersionOfTheCase));
    ASSERT_TRUE(version.Installed());
    std::map<int, std::wstring> texts;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) { texts = ToolTexts(bar); }));
    const int kept = c.dropsBluetoothAnd3G ? 0 : 1;
    EXPECT_EQ(g_supportBytes[0], kept) << "Bluetooth";
    EXPECT_EQ(g_supportBytes[5], kept) << "3G";
    EXPECT_EQ(g_nButtonVisible, c.dropsBluetoothAnd3G ? 4 : 6);
    EXPECT_EQ(texts[1004], c.dropsBluetoothAnd3G ? L"Radio on / off" : L"Wireless on / off");
}

INSTANTIATE_TEST_SUITE_P(Versions, BarWindowsVersion,
                         ::testing::Values(VersionCase{"SixTwo", 6, 2, true}, VersionCase{"SixThree", 6, 3, false},
                                           VersionCase{"TenZero", 10, 0, false}, VersionCase{"FiveTwo", 5, 2, false}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) { return info.param.label; });

// A report longer than the table and than the bar: every byte is read and acknowledged, so the
// controller's report runs to its end, but only buttons 1 to 19 are counted, laid out and drawn.
TEST(BarButtonSet, ReportLongerThanTheTableIsReadToItsEndAndCutToNineteenButtons) {
    BarDialogRun run(bartest::ProfileWithBytes(Ones(130)));
    // Drawn as a bar of the nineteen function buttons that exist.
    bartest::ExpectedSurface expected(20);
    expected.Pieces(bartest::NineteenButtonPieces());
    expected.Buttons(bartest::NineteenButtons());
    int acknowledges = 0, mailboxAfter = -1;
    long difference = 0;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        for (const std::string& line : run.Journal())
            acknowledges += line.find("WriteEC 0x75A 0xFF") != std::string::npos;
        mailboxAfter = static_cast<int>(run.Machine().PeekRegister(0x75A));
        bar.InvalidateRect(nullptr);
        bar.UpdateWindow();
        difference = bartest::FirstDifference(g_bmpSurface, expected.Surface());
    }));
    EXPECT_EQ(difference, -1) << "first different byte of the surface";
    EXPECT_EQ(acknowledges, 131) << "the count and every byte";
    EXPECT_EQ(mailboxAfter, 0) << "the report has ended";
    EXPECT_EQ(g_nButtonTotal, 130);
    EXPECT_EQ(g_nButtonVisible, 19);
    EXPECT_TRUE(std::all_of(g_supportBytes, g_supportBytes + kSupportTableSize, [](int b) { return b == 1; }));
    EXPECT_EQ(g_nBarWidth, 20 * 48);
}

// A byte above 1 for button 19 does not make it the CRT-in-detect button: it takes no cell.
TEST(BarButtonSet, ButtonNineteenAboveOneTakesNoCell) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 2"));
    bool visible = true;
    ASSERT_TRUE(run.Run(
        [&](CNewVanteloDlg& bar) { visible = bar.GetDlgItem(ButtonControl(kCrtInDetectButton))->IsWindowVisible(); }));
    EXPECT_FALSE(g_bCrtInDetect);
    EXPECT_EQ(g_nButtonVisible, 18);
    EXPECT_EQ(g_nBarWidth, 19 * 48);
    EXPECT_FALSE(visible);
}

}  // namespace
