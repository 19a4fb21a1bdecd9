// Which skin the bar wears: the real dialog started on machines with each pair of model
// answers and on screens either side of 1024 pixels, with four packages of distinct flat
// colours in its image folder, so that the surface shows which one it wears; the relayout
// after a display change, which must read the package file again; and the button size that
// the slots follow.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "FlatSkin.h"
#include "ImportRedirect.h"
#include "SkinFixtures.h"
#include "TestSupport.h"
#include "bar/ButtonSet.h"
#include "bar/SkinLayout.h"

namespace {

using bartest::BarDialogRun;
using bartest::FlatSkin;
using testsupport::ImportRedirect;

constexpr FlatSkin kVantelo64{48, 56, 40, RGB(200, 0, 0), RGB(0, 200, 0)};
constexpr FlatSkin kVantelo50{38, 44, 32, RGB(0, 0, 200), RGB(200, 200, 0)};
constexpr FlatSkin kPemro64{48, 56, 40, RGB(0, 200, 200), RGB(200, 0, 200)};
constexpr FlatSkin kPemro50{38, 44, 32, RGB(90, 90, 90), RGB(250, 120, 0)};

const std::wstring kVantelo64File = L"img\\Vantelo64.SKN";
const std::wstring kVantelo50File = L"img\\Vantelo50.SKN";
const std::wstring kPemro64File = L"img\\Pemro_Vantelo64.SKN";
const std::wstring kPemro50File = L"img\\Pemro_Vantelo50.SKN";

// The full-screen width that the bar is told, in place of this screen's.
int g_screenWidth = 0;
ImportRedirect* g_metricsRedirect = nullptr;

int WINAPI ScreenWidthOfTheCase(int index) {
    if (index == SM_CXFULLSCREEN)
        return g_screenWidth;
    return g_metricsRedirect->Original<decltype(&GetSystemMetrics)>()(index);
}

class ScreenWidth {
public:
    explicit ScreenWidth(int width) : redirect_("GetSystemMetrics", reinterpret_cast<void*>(&ScreenWidthOfTheCase)) {
        g_screenWidth = width;
        g_metricsRedirect = &redirect_;
    }
    ~ScreenWidth() { g_metricsRedirect = nullptr; }
    ScreenWidth(const ScreenWidth&) = delete;
    ScreenWidth& operator=(const ScreenWidth&) = delete;

    bool Installed() const { return redirect_.Installed(); }
    void Set(int width) { g_screenWidth = width; }

private:
    ImportRedirect redirect_;
};

// The skin packages that the program opens, in order, while the object lives.
std::vector<std::wstring>* g_opened = nullptr;
ImportRedirect* g_openRedirect = nullptr;

FILE* __cdecl RecordedOpen(const wchar_t* path, const wchar_t* mode) {
    const std::wstring name = path;
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".SKN") == 0)
        g_opened->push_back(name);
    return g_openRedirect->Original<decltype(&_wfopen)>()(path, mode);
}

class PackageOpens {
public:
    PackageOpens() : redirect_("_wfopen", reinterpret_cast<void*>(&RecordedOpen)) {
        g_opened = &opened_;
        g_openRedirect = &redirect_;
    }
    ~PackageOpens() {
        g_openRedirect = nullptr;
        g_opened = nullptr;
    }
    PackageOpens(const PackageOpens&) = delete;
    PackageOpens& operator=(const PackageOpens&) = delete;

    bool Installed() const { return redirect_.Installed(); }
    std::vector<std::wstring> TakeAll() { return std::move(opened_); }

private:
    std::vector<std::wstring> opened_;
    ImportRedirect redirect_;
};

void WriteFourSkins(BarDialogRun& run) {
    bartest::WriteFlatSkin(run.File(kVantelo64File), kVantelo64);
    bartest::WriteFlatSkin(run.File(kVantelo50File), kVantelo50);
    bartest::WriteFlatSkin(run.File(kPemro64File), kPemro64);
    bartest::WriteFlatSkin(run.File(kPemro50File), kPemro50);
}

std::string Answers(int vantelo, int pemro) {
    char text[64];
    snprintf(text, sizeof(text), "Query1900=%d\r\nQuery2000=%d\r\n", vantelo, pemro);
    return text;
}

void Repaint(CNewVanteloDlg& bar) {
    bar.InvalidateRect(nullptr, TRUE);
    bar.UpdateWindow();
}

// What the surface shows of the skin: the left piece's colour, the first button's colour at
// the middle of its slot, and the cell height.
struct Worn {
    COLORREF background = 0;
    COLORREF button = 0;
    int height = 0;
};

Worn WornNow(CNewVanteloDlg& bar) {
    const int size = bar.m_btn[1].m_image[0].height;
    const POINT slot = SlotOrigin(0, g_bmpLeftBg.width, g_bmpLeftBg.height, size);
    return {bartest::OpaquePixel(g_bmpSurface, 1, 1),
            bartest::OpaquePixel(g_bmpSurface, slot.x + size / 2, slot.y + size / 2), g_nBarHeight};
}

void ExpectWears(const Worn& worn, const FlatSkin& skin) {
    EXPECT_EQ(worn.background, skin.background);
    EXPECT_EQ(worn.button, skin.button);
    EXPECT_EQ(worn.height, skin.cellHeight);
}

struct ChoiceCase {
    const char* label;
    int vantelo, pemro;  // answers of the queries 0x1900 and 0x2000
    int screenWidth;
    std::vector<std::wstring> loads;  // in order
    const FlatSkin* worn;
};

class BarWornSkin : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(BarWornSkin, WearsThePackageOfTheAnswersAndTheScreenWidth) {
    const ChoiceCase& c = GetParam();
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1", Answers(c.vantelo, c.pemro)));
    WriteFourSkins(run);
    ScreenWidth screen(c.screenWidth);
    ASSERT_TRUE(screen.Installed());
    PackageOpens opens;
    ASSERT_TRUE(opens.Installed());
    std::vector<std::wstring> loads;
    Worn worn;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        loads = opens.TakeAll();
        Repaint(bar);
        worn = WornNow(bar);
    }));
    EXPECT_EQ(loads, c.loads);
    ExpectWears(worn, *c.worn);
}

INSTANTIATE_TEST_SUITE_P(AnswersAndWidths, BarWornSkin,
                         ::testing::Values(
                             // Both answers 1: the Pemro package replaces the Vantelo one loaded first.
                             ChoiceCase{"BothWide", 1, 1, 1280, {kVantelo64File, kPemro64File}, &kPemro64},
                             ChoiceCase{"BothNarrow", 1, 1, 1023, {kVantelo50File, kPemro50File}, &kPemro50},
                             ChoiceCase{"VanteloOnly", 1, 0, 1280, {kVantelo64File}, &kVantelo64},
                             ChoiceCase{"PemroOnlyAtTheBoundary", 0, 1, 1024, {kPemro64File}, &kPemro64},
                             ChoiceCase{"PemroOnlyBelowTheBoundary", 0, 1, 1023, {kPemro50File}, &kPemro50},
                             // Neither answer 1: the Vantelo family all the same.
                             ChoiceCase{"NeitherAtTheBoundary", 0, 0, 1024, {kVantelo64File}, &kVantelo64},
                             ChoiceCase{"NeitherBelowTheBoundary", 2, 0, 1023, {kVantelo50File}, &kVantelo50}),
                         [](const ::testing::TestParamInfo<ChoiceCase>& info) { return info.param.label; });

// A relayout reads the package file again: a package replaced since start-up shows its own
// colours, and a narrower screen brings the narrow variant.
TEST(BarSkinRelayout, ReadsThePackageFileAgain) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    WriteFourSkins(run);
    ScreenWidth screen(1280);
    ASSERT_TRUE(screen.Installed());
    constexpr FlatSkin kRepainted{48, 56, 40, RGB(250, 250, 250), RGB(10, 60, 110)};
    Worn atStart, replaced, narrowed;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        Repaint(bar);
        atStart = WornNow(bar);

        bartest::WriteFlatSkin(run.File(kVantelo64File), kRepainted);
        ReloadSkinAndLayout(&bar);
        bar.ShowWindow(SW_SHOW);
        Repaint(bar);
        replaced = WornNow(bar);

        screen.Set(1023);
        ReloadSkinAndLayout(&bar);
        bar.ShowWindow(SW_SHOW);
        Repaint(bar);
        narrowed = WornNow(bar);
    }));
    {
        SCOPED_TRACE("at start");
        ExpectWears(atStart, kVantelo64);
    }
    {
        SCOPED_TRACE("package file replaced");
        ExpectWears(replaced, kRepainted);
    }
    {
        SCOPED_TRACE("screen narrowed");
        ExpectWears(narrowed, kVantelo50);
    }
}

skintest::Bytes OpaqueSquarePng(int width, int height) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(), {120, 120, 120, 255});
    return skintest::EncodePng(skintest::RgbaPicture(width, height, rgba));
}

// Every button sits in its cell by the size of the last reported button's picture: a package
// of 48 x 40 cells whose third button is 32 pixels square and every other one 24, worn by a
// bar of three buttons. Its buttons keep their own sizes, but each sits at (48 M + 8, 6).
TEST(BarSlots, EveryButtonSitsByTheLastReportedButtonsSize) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    const skintest::Bytes cell = OpaqueSquarePng(48, 40);
    std::vector<skintest::PackEntry> entries{
        {"LeftBg.PNG", cell}, {"MiddleBg.PNG", cell}, {"RightBg.PNG", cell}, {"SingleBg.PNG", OpaqueSquarePng(96, 40)}};
    auto addButton = [&](const std::string& stem, int size) {
        entries.push_back({stem + "_UP.PNG", OpaqueSquarePng(size, size)});
        entries.push_back({stem + "_DOWN.PNG", OpaqueSquarePng(size, size)});
    };
    for (int k = 1; k <= kFunctionButtons; ++k)
        addButton("BTN" + std::to_string(k), k == 3 ? 32 : 24);
    addButton("EXIT", 24);
    const skintest::Bytes package = skintest::BuildPackage(entries);
    for (const std::wstring& file : {kVantelo64File, kVantelo50File, kPemro64File, kPemro50File})
        testsupport::WriteWholeFile(run.File(file), package);

    std::vector<POINT> corners;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        for (int control : {1000, 1001, 1002, 1100}) {
            RECT rect;
            bar.GetDlgItem(control)->GetWindowRect(&rect);
            MapWindowPoints(nullptr, bar.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            corners.push_back({rect.left, rect.top});
        }
    }));
    ASSERT_EQ(corners.size(), 4u);
    for (size_t slot = 0; slot < corners.size(); ++slot) {
        EXPECT_EQ(corners[slot].x, 48 * static_cast<int>(slot) + 8) << "slot " << slot;
        EXPECT_EQ(corners[slot].y, 6) << "slot " << slot;
    }
}

}  // namespace
