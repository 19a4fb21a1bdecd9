// The shipped bar's skin choice, place on the screen and button slots: the two model
// answers pick the skin family (the Pemro family sits at the bottom of the screen, the
// Vantelo family in the middle), and the supported buttons take consecutive cells.
#include <gtest/gtest.h>

#include <algorithm>

#include "BarHarness.h"

using e2e::BarControl;
using e2e::BarRun;
using e2e::CallText;
using e2e::JournalLine;
using e2e::kStartTimeout;
using e2e::MachineProfile;
using testsupport::ChildProcess;

namespace {

std::vector<JournalLine>::const_iterator FindCall(const std::vector<JournalLine>& journal, const std::string& text) {
    return std::find_if(journal.begin(), journal.end(), [&](const JournalLine& l) { return CallText(l) == text; });
}

// Answers of queries 0x1900 and 0x2000; values other than 1 count as "not 1", whatever
// they are.
struct SkinCase {
    const char* label;
    int query1900;
    int query2000;
    bool atBottom;  // the Pemro family
};

class BarSkinChoice : public ::testing::TestWithParam<SkinCase> {};

TEST_P(BarSkinChoice, PlacesTheBarByItsFamily) {
    const SkinCase& c = GetParam();
    // Version 6.1, which keeps button 1 as the controller reports it.
    e2e::WineVersionForBar windows7(L"win7");
    BarRun run(MachineProfile(
        "1 1 1", "Query1900=" + std::to_string(c.query1900) + "\r\nQuery2000=" + std::to_string(c.query2000) + "\r\n"));
    const ChildProcess& bar = run.Start();
    HWND window = run.WaitForStartedBar(bar, kStartTimeout);
    ASSERT_NE(window, nullptr);

    // Three buttons and the hide button, in cells of the skin for this screen's width.
    const auto skin = e2e::SampleSkinOnThisScreen();
    const int width = 4 * skin.cellWidth;
    const int height = skin.cellHeight;
    const int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    const int x = screenWidth / 2 - width / 2;
    const int y = c.atBottom ? screenHeight - height + 20 : screenHeight / 2 - height / 2;
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, x);
    EXPECT_EQ(rect.top, y);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);

    // The two questions, one right after the other with a pause between, before the
    // support-byte report.
    const auto journal = run.Journal();
    const auto vantelo = FindCall(journal, "GetLong32 0x1900 0x0 -> 0x" + std::to_string(c.query1900));
    const auto pemro = FindCall(journal, "GetLong32 0x2000 0x0 -> 0x" + std::to_string(c.query2000));
    const auto report = FindCall(journal, "GetLong32 0x200 0x80 -> 0x0");
    ASSERT_NE(vantelo, journal.end());
    ASSERT_NE(pemro, journal.end());
    ASSERT_NE(report, journal.end());
    EXPECT_EQ(pemro, vantelo + 1);
    EXPECT_GE(pemro->milliseconds - vantelo->milliseconds, 50.0);
    EXPECT_LT(pemro, report);
}

INSTANTIATE_TEST_SUITE_P(ModelAnswers, BarSkinChoice,
                         ::testing::Values(SkinCase{"BothAnswersOne", 1, 1, true}, SkinCase{"VanteloOnly", 1, 2, false},
                                           SkinCase{"PemroOnly", 2, 1, true}, SkinCase{"Neither", 0, 0, false}),
                         [](const ::testing::TestParamInfo<SkinCase>& info) { return info.param.label; });

// Buttons 1 to 5, 7 and the CRT-in-detect button supported: the supported ones take cells
// in order, the CRT-in-detect button right before button 5, the hide button last; the
// unsupported ones are hidden.
TEST(BarLayout, SupportedButtonsTakeConsecutiveCells) {
    // Version 6.1, which keeps button 1 as the controller reports it.
    e2e::WineVersionForBar windows7(L"win7");
    BarRun run(MachineProfile("1 1 1 1 1 0 1 0 0 0 0 0 0 0 0 0 0 0 1"));
    const ChildProcess& bar = run.Start();
    HWND window = run.WaitForStartedBar(bar, kStartTimeout);
    ASSERT_NE(window, nullptr);

    std::vector<BarControl> shown;
    for (const BarControl& control : e2e::BarControls(window))
        if (control.visible)
            shown.push_back(control);
    std::sort(shown.begin(), shown.end(),
              [](const BarControl& a, const BarControl& b) { return a.rect.left < b.rect.left; });
    std::vector<int> order;
    for (const BarControl& control : shown)
        order.push_back(control.id);
    EXPECT_EQ(order, (std::vector<int>{1000, 1001, 1002, 1003, 1018, 1004, 1006, 1100}));

    const auto skin = e2e::SampleSkinOnThisScreen();
    for (size_t slot = 0; slot < shown.size(); ++slot) {
        const RECT& r = shown[slot].rect;
        EXPECT_EQ(r.left, static_cast<int>(slot) * skin.cellWidth + (skin.cellWidth - skin.buttonSize) / 2)
            << "control " << shown[slot].id;
        EXPECT_EQ(r.top, (3 * (skin.cellHeight - skin.buttonSize)) / 4) << "control " << shown[slot].id;
        EXPECT_EQ(r.right - r.left, skin.buttonSize) << "control " << shown[slot].id;
        EXPECT_EQ(r.bottom - r.top, skin.buttonSize) << "control " << shown[slot].id;
    }
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.right - rect.left, 8 * skin.cellWidth);
}

}  // namespace
