// The button set as the real bar dialog builds it on simulated machines: the tool tips and
// their labels, and the support-byte reports that name buttons the bar does not have.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>

#include "BarDialogRun.h"
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

struct ToolTipCase {
    const char* label;
    int count;
    const char* answers;
    int tools;
    std::wstring control1002, control1018;  // empty: no tool
};

class BarToolTips : public ::testing::TestWithParam<ToolTipCase> {};

TEST_P(BarToolTips, EveryButtonThatCanExistHasItsLabel) {
    const ToolTipCase& c = GetParam();
    BarDialogRun run(bartest::ProfileWithBytes(Ones(c.count), c.answers));
    std::map<int, std::wstring> texts;
    COLORREF background = 1, foreground = 1;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        texts = ToolTexts(bar);
        background = static_cast<COLORREF>(bar.m_toolTip.SendMessage(TTM_GETTIPBKCOLOR));
        foreground = static_cast<COLORREF>(bar.m_toolTip.SendMessage(TTM_GETTIPTEXTCOLOR));
    }));
    EXPECT_EQ(static_cast<int>(texts.size()), c.tools);
    EXPECT_EQ(texts[1000], L"BlueTooth on / off");
    EXPECT_EQ(texts[1002], c.control1002);
    EXPECT_EQ(texts[1004], L"Wireless on / off");
    EXPECT_EQ(texts[1005], L"3G on  / off");
    EXPECT_EQ(texts[1017], L"Panel set default");
    EXPECT_EQ(texts.count(1018) ? texts[1018] : L"", c.control1018);
    EXPECT_EQ(texts[1100], L"Hide to system tray");
    EXPECT_EQ(background, RGB(255, 255, 255));
    EXPECT_EQ(foreground, RGB(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Machines, BarToolTips,
    ::testing::Values(
        // Buttons the report leaves out are tools too; the CRT-in-detect button only when it exists.
        ToolTipCase{"ThreeButtons", 3, "", 19, L"Verdel on / off", L""},
        ToolTipCase{"EighteenButtons", 18, "", 19, L"Verdel on / off", L""},
        ToolTipCase{"NineteenButtonsPemro", 19, "Query2000=1\r\n", 20, L"Ambrio on / off", L"CRT in detect"}),
    [](const ::testing::TestParamInfo<ToolTipCase>& info) { return info.param.label; });

// A report longer than the table and than the bar: every byte is read and acknowledged, so the
// controller's report runs to its end, but only buttons 1 to 19 are counted, laid out and drawn.
TEST(BarButtonSet, ReportLongerThanTheTableIsReadToItsEndAndCutToNineteenButtons) {
    BarDialogRun run(bartest::ProfileWithBytes(Ones(130)));
    int acknowledges = 0, mailboxAfter = -1;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        for (const std::string& line : run.Journal())
            acknowledges += line.find("WriteEC 0x75A 0xFF") != std::string::npos;
        mailboxAfter = static_cast<int>(run.Machine().PeekRegister(0x75A));
        bar.InvalidateRect(nullptr);
        bar.UpdateWindow();
    }));
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
