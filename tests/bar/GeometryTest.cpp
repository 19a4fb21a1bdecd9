// Where the bar and its pieces go: the package for a family and a screen width, the bar's
// corner, a button's place in its cell, the slots from the support bytes, the background
// pieces for a count of visible buttons, and the count check and labels of the button set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bar/BarSurface.h"
#include "bar/ButtonSet.h"
#include "bar/SkinLayout.h"

namespace {

struct PackageCase {
    bool pemro;
    int width;
    const wchar_t* path;
};

TEST(SkinPackage, FamilyAndScreenWidthPickThePackage) {
    const PackageCase cases[] = {
        {false, 1023, L"img\\Vantelo50.SKN"},      {false, 1024, L"img\\Vantelo64.SKN"},
        {false, 1280, L"img\\Vantelo64.SKN"},      {true, 1023, L"img\\Pemro_Vantelo50.SKN"},
        {true, 1024, L"img\\Pemro_Vantelo64.SKN"}, {true, 1280, L"img\\Pemro_Vantelo64.SKN"},
    };
    for (const PackageCase& c : cases)
        EXPECT_STREQ(SkinPackagePath(c.pemro, c.width), c.path) << c.pemro << " " << c.width;
}

struct OriginCase {
    int barWidth, barHeight, screenWidth, screenHeight;
    bool atBottom;
    POINT origin;
};

TEST(BarPlacement, CentredAcrossAndCentredOrAtTheBottomDown) {
    const OriginCase cases[] = {
        {384, 40, 1280, 984, false, {448, 472}},
        {384, 40, 1280, 984, true, {448, 964}},   // 20 pixels below flush with the bottom
        {385, 40, 1280, 984, false, {448, 472}},  // each half truncated before the subtraction
        {385, 41, 1281, 985, false, {448, 472}},
        {1400, 56, 1280, 984, false, {-60, 464}},  // wider than the screen
    };
    for (const OriginCase& c : cases) {
        const POINT at = BarOrigin(c.barWidth, c.barHeight, c.screenWidth, c.screenHeight, c.atBottom);
        EXPECT_EQ(at.x, c.origin.x) << c.barWidth << " on " << c.screenWidth;
        EXPECT_EQ(at.y, c.origin.y) << c.barHeight << " on " << c.screenHeight << (c.atBottom ? " at the bottom" : "");
    }
}

TEST(BarPlacement, SlotsSpreadByCellsAndTruncateTowardZero) {
    struct {
        int slot, cellWidth, cellHeight, buttonSize;
        POINT at;
    } const cases[] = {
        {0, 48, 40, 32, {8, 6}},
        {1, 48, 40, 32, {56, 6}},
        {7, 48, 40, 32, {344, 6}},
        {0, 38, 38, 41, {-1, -2}},  // a button larger than its cell: -3 / 2 and -9 / 4
    };
    for (const auto& c : cases) {
        const POINT at = SlotOrigin(c.slot, c.cellWidth, c.cellHeight, c.buttonSize);
        EXPECT_EQ(at.x, c.at.x) << "slot " << c.slot;
        EXPECT_EQ(at.y, c.at.y) << "slot " << c.slot;
    }
}

// The controls that take a slot, in slot order, and those hidden.
struct Slots {
    std::vector<int> shown;
    std::vector<int> hidden;
};

Slots SlotsOf(const std::vector<int>& bytes, bool crtInDetect, int total = -1) {
    int table[kSupportTableSize] = {};
    for (size_t i = 0; i < bytes.size() && i < kSupportTableSize; ++i)
        table[i] = bytes[i];
    Slots slots;
    int expectedSlot = 0;
    for (const ButtonPlacement& p :
         PlanButtonSlots(table, total < 0 ? static_cast<int>(bytes.size()) : total, crtInDetect)) {
        if (p.slot == kHidden) {
            slots.hidden.push_back(p.control);
        } else {
            EXPECT_EQ(p.slot, expectedSlot++) << "slots are given in order";
            slots.shown.push_back(p.control);
        }
    }
    return slots;
}

struct SlotCase {
    const char* label;
    std::vector<int> bytes;
    bool crtInDetect;
    int total;  // -1: the number of bytes
    std::vector<int> shown;
    std::vector<int> hidden;
};

class ButtonSlots : public ::testing::TestWithParam<SlotCase> {};

TEST_P(ButtonSlots, SupportedButtonsInOrderHideButtonLast) {
    const SlotCase& c = GetParam();
    const Slots slots = SlotsOf(c.bytes, c.crtInDetect, c.total);
    EXPECT_EQ(slots.shown, c.shown);
    EXPECT_EQ(slots.hidden, c.hidden);
}

INSTANTIATE_TEST_SUITE_P(SupportBytes, ButtonSlots,
                         ::testing::Values(
                             // Buttons 1 to 5, 7 and the CRT-in-detect button: it sits right before button 5.
                             SlotCase{"CrtInDetectBeforeButtonFive",
                                      {1, 1, 1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
                                      true,
                                      -1,
                                      {1000, 1001, 1002, 1003, 1018, 1004, 1006, 1100},
                                      {1005, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017}},
                             SlotCase{"EveryButton",
                                      std::vector<int>(19, 1),
                                      true,
                                      -1,
                                      {1000, 1001, 1002, 1003, 1018, 1004, 1005, 1006, 1007, 1008,
                                       1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1100},
                                      {}},
                             // Eighteen reported: the CRT-in-detect button is hidden, not left as the template has it.
                             SlotCase{"EighteenReported",
                                      std::vector<int>(18, 1),
                                      false,
                                      -1,
                                      {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012,
                                       1013, 1014, 1015, 1016, 1017, 1100},
                                      {1018}},
                             // Button 5 missing: the CRT-in-detect button keeps its place, counted in the bar's width.
                             SlotCase{"ButtonFiveMissing",
                                      {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
                                      true,
                                      -1,
                                      {1000, 1018, 1100},
                                      {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013,
                                       1014, 1015, 1016, 1017}},
                             // Button 19 above 1 is not the CRT-in-detect button: hidden.
                             SlotCase{"ButtonNineteenAboveOne",
                                      {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
                                      false,
                                      -1,
                                      {1000, 1100},
                                      {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013,
                                       1014, 1015, 1016, 1017, 1018}},
                             // Beyond the report every control is hidden; no control past 1018 exists.
                             SlotCase{"ThreeReported",
                                      {1, 1, 1},
                                      false,
                                      -1,
                                      {1000, 1001, 1002, 1100},
                                      {1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015,
                                       1016, 1017, 1018}},
                             SlotCase{"MoreReportedThanExist",
                                      std::vector<int>(40, 1),
                                      true,
                                      -1,
                                      {1000, 1001, 1002, 1003, 1018, 1004, 1005, 1006, 1007, 1008,
                                       1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1100},
                                      {}}),
                         [](const ::testing::TestParamInfo<SlotCase>& info) { return info.param.label; });

// Opaque pieces of four colours, two pixels high, so that each column of the surface shows
// which piece was blended there last: L(eft), M(iddle), R(ight), S(ingle), or '.' for none.
class BackgroundPieces : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(left_, 4, 0x10);
        Fill(middle_, 3, 0x20);  // narrower than a cell: its places follow its own width
        Fill(right_, 5, 0x30);
        Fill(single_, 8, 0x40);
    }

    std::string Columns(int visibleButtons, int surfaceWidth) {
        MemoryBitmap surface;
        surface.Create32(surfaceWidth, 2);
        BlendBackgroundPieces(surface, visibleButtons, left_, middle_, right_, single_);
        std::string columns;
        for (int x = 0; x < surfaceWidth; ++x) {
            const BYTE blue = surface.bits[4 * x];
            columns += blue == 0x10 ? 'L' : blue == 0x20 ? 'M' : blue == 0x30 ? 'R' : blue == 0x40 ? 'S' : '.';
        }
        return columns;
    }

private:
    static void Fill(MemoryBitmap& piece, int width, BYTE blue) {
        piece.Create32(width, 2);
        for (int i = 0; i < width * 2; ++i) {
            BYTE* p = piece.bits + 4 * i;
            p[0] = blue;
            p[1] = p[2] = 0;
            p[3] = 255;
        }
    }

    MemoryBitmap left_, middle_, right_, single_;
};

TEST_F(BackgroundPieces, EachCountWearsItsPiecesAtTheirPlaces) {
    EXPECT_EQ(Columns(1, 8), "SSSSSSSS");
    EXPECT_EQ(Columns(2, 12), "LLLL...RRRRR");  // no middle piece at all
    EXPECT_EQ(Columns(3, 16), "LLLMMMMMM..RRRRR");
    EXPECT_EQ(Columns(5, 24), "LLLMMMMMMMMMMMM....RRRRR");
}

struct CountCase {
    int visible, total;
    bool accepted;
};

TEST(ButtonCount, OneToNineteenVisibleAndNoMoreThanReported) {
    const CountCase cases[] = {{0, 19, false},  {1, 1, true},  {19, 19, true}, {19, 40, true},
                               {20, 40, false}, {5, 4, false}, {-1, 3, false}};
    for (const CountCase& c : cases) {
        g_nButtonVisible = c.visible;
        g_nButtonTotal = c.total;
        EXPECT_EQ(ButtonCountAccepted(), c.accepted) << c.visible << " of " << c.total;
    }
}

TEST(ButtonLabels, ModelAnswersChooseTheAlternatives) {
    g_nPemroSkin = 1;
    g_bWindows8 = 1;
    EXPECT_STREQ(ButtonLabel(3), L"Ambrio on / off");
    EXPECT_STREQ(ButtonLabel(5), L"Radio on / off");
    g_nPemroSkin = 2;
    g_bWindows8 = 0;
    EXPECT_STREQ(ButtonLabel(3), L"Verdel on / off");
    EXPECT_STREQ(ButtonLabel(5), L"Wireless on / off");
    EXPECT_STREQ(ButtonLabel(6), L"3G on  / off");
    EXPECT_STREQ(ButtonLabel(19), L"CRT in detect");
    EXPECT_STREQ(ButtonLabel(kHideButton), L"Hide to system tray");
}

}  // namespace
