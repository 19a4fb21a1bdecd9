// The bar's composition: the real dialog started on simulated machines of several button
// counts, its surface after a paint compared byte for byte with the skin's pieces and button
// images blended at the places where the bar must put them, and the screen compared with the
// surface.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "SampleSkinSurface.h"
#include "bar/ButtonSet.h"
#include "bar/SkinLayout.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

using bartest::BarDialogRun;

using bartest::ButtonAt;
using bartest::ExpectedSurface;
using bartest::FirstDifference;
using bartest::kCell;
using bartest::kCellHeight;
using bartest::kSlotX;
using bartest::kSlotY;
using bartest::NineteenButtonPieces;
using bartest::NineteenButtons;
using bartest::Piece;

void Repaint(CNewVanteloDlg& bar) {
    bar.InvalidateRect(nullptr, TRUE);
    bar.UpdateWindow();
}

struct CompositionCase {
    const char* label;
    std::string bytes;
    std::vector<Piece> pieces;
    std::vector<ButtonAt> buttons;
};

class BarCompositionOfCount : public ::testing::TestWithParam<CompositionCase> {};

TEST_P(BarCompositionOfCount, PaintComposesPiecesAndButtonsWhereTheyBelong) {
    const CompositionCase& c = GetParam();
    BarDialogRun run(bartest::ProfileWithBytes(c.bytes));
    const int cells = static_cast<int>(c.buttons.size());  // one per visible button, one for the hide button
    ExpectedSurface expected(cells);
    expected.Pieces(c.pieces);
    expected.Buttons(c.buttons);
    long difference = 0;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        Repaint(bar);
        difference = FirstDifference(g_bmpSurface, expected.Surface());
    }));
    EXPECT_EQ(g_bmpSurface.width, cells * kCell);
    EXPECT_EQ(difference, -1) << "first different byte; pixel " << difference / 4 % (cells * kCell) << ", row "
                              << difference / 4 / (cells * kCell);
}

INSTANTIATE_TEST_SUITE_P(
    VisibleButtons, BarCompositionOfCount,
    ::testing::Values(
        CompositionCase{"One", "1", {{L"SingleBg.PNG", 0}}, {{L"BTN1_UP.PNG", 0}, {L"EXIT_UP.PNG", 1}}},
        // No middle piece: the middle cell stays transparent around its button.
        CompositionCase{"Two",
                        "1 1",
                        {{L"LeftBg.PNG", 0}, {L"RightBg.PNG", 2 * kCell}},
                        {{L"BTN1_UP.PNG", 0}, {L"BTN2_UP.PNG", 1}, {L"EXIT_UP.PNG", 2}}},
        CompositionCase{
            "Three",
            "1 1 1",
            {{L"LeftBg.PNG", 0}, {L"MiddleBg.PNG", kCell}, {L"MiddleBg.PNG", 2 * kCell}, {L"RightBg.PNG", 3 * kCell}},
            {{L"BTN1_UP.PNG", 0}, {L"BTN2_UP.PNG", 1}, {L"BTN3_UP.PNG", 2}, {L"EXIT_UP.PNG", 3}}},
        CompositionCase{"Nineteen", "1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", NineteenButtonPieces(),
                        NineteenButtons()}),
    [](const ::testing::TestParamInfo<CompositionCase>& info) { return info.param.label; });

TEST(BarComposition, TwoButtonsLeaveTheMiddleCellTransparentAroundItsButton) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1"));
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) { Repaint(bar); }));
    for (int y = 0; y < kCellHeight; ++y)
        for (int x = kCell; x < 2 * kCell; ++x) {
            const bool underButton = x >= kCell + kSlotX && x < kCell + kSlotX + bartest::kButtonSize && y >= kSlotY &&
                                     y < kSlotY + bartest::kButtonSize;
            if (underButton)
                continue;
            uint32_t pixel;
            std::memcpy(&pixel, g_bmpSurface.bits + y * g_bmpSurface.Stride() + 4 * x, 4);
            ASSERT_EQ(pixel, 0u) << "at " << x << ", " << y;
        }
}

// A pressed button and a disabled one wear the down picture, which the bar loads into both
// the pressed and the disabled slot.
TEST(BarComposition, PressedAndDisabledButtonsWearTheDownPicture) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "Query2500=1\r\n"));
    ExpectedSurface expected(20);
    expected.Pieces(NineteenButtonPieces());
    std::vector<ButtonAt> buttons = NineteenButtons();
    buttons[0].entry = L"BTN1_DOWN.PNG";    // pressed
    buttons[18].entry = L"BTN19_DOWN.PNG";  // disabled: detection unavailable
    expected.Buttons(buttons);
    long difference = 0;
    bool disabled = false;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        disabled = !bar.m_btn[19].IsWindowEnabled();
        bar.m_btn[1].SendMessage(BM_SETSTATE, TRUE);
        bar.m_btn[1].UpdateWindow();
        Repaint(bar);
        difference = FirstDifference(g_bmpSurface, expected.Surface());
    }));
    EXPECT_TRUE(disabled);
    EXPECT_EQ(difference, -1);
}

// How many pixels of the surface are opaque, and how many of those `dc` does not show as
// they are, the surface's corner at `origin` of the device context.
struct OpaqueComparison {
    int opaque = 0;
    int differing = 0;
};

OpaqueComparison CompareOpaquePixels(HDC dc, POINT origin) {
    OpaqueComparison result;
    for (int y = 0; y < g_bmpSurface.height; ++y)
        for (int x = 0; x < g_bmpSurface.width; ++x) {
            const BYTE* p = g_bmpSurface.bits + y * g_bmpSurface.Stride() + 4 * x;
            if (p[3] != 255)
                continue;
            ++result.opaque;
            if (GetPixel(dc, origin.x + x, origin.y + y) != RGB(p[2], p[1], p[0]))
                ++result.differing;
        }
    return result;
}

// The first paint makes the bar a layered window, and what it presents is what the screen
// shows: every opaque pixel of the surface is on the screen as it is in the surface.
TEST(BarComposition, FirstPaintLayersTheBarAndTheScreenShowsTheSurface) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    DWORD styleAtStartUpEnd = 0, styleShown = 0;
    OpaqueComparison screen;
    ASSERT_TRUE(run.Run(
        [&](CNewVanteloDlg& bar) {
            styleShown = bar.GetExStyle();
            Repaint(bar);
            RECT window;
            bar.GetWindowRect(&window);
            // The X server shows the presented pixels a moment later; until then, or for good
            // when the presentation is wrong, some opaque pixel differs.
            BarDialogRun::Pump(10000, [&] {
                HDC dc = GetDC(nullptr);
                screen = CompareOpaquePixels(dc, {window.left, window.top});
                ReleaseDC(nullptr, dc);
                return screen.opaque > 0 && screen.differing == 0;
            });
        },
        [&](CNewVanteloDlg& bar) { styleAtStartUpEnd = bar.GetExStyle(); }));
    EXPECT_EQ(styleAtStartUpEnd & WS_EX_LAYERED, 0u);
    EXPECT_NE(styleShown & WS_EX_LAYERED, 0u);
    EXPECT_GT(screen.opaque, 300);
    EXPECT_EQ(screen.differing, 0) << "of " << screen.opaque << " opaque pixels";
}

// What one paint hands the system for the layered window, passed on to the real call.
struct Presentation {
    int calls = 0;
    HWND window = nullptr;
    POINT destination{-1, -1};
    SIZE size{-1, -1};
    HDC source = nullptr;
    POINT sourcePoint{-1, -1};
    COLORREF key = 1;
    BLENDFUNCTION blend{};
    DWORD flags = 0;
};
Presentation g_presentation;
decltype(CNewVanteloDlg::m_pfnUpdateLayeredWindow) g_realUpdateLayeredWindow = nullptr;

BOOL WINAPI RecordedPresentation(HWND window, HDC screen, POINT* destination, SIZE* size, HDC source,
                                 POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    Presentation& p = g_presentation;
    ++p.calls;
    p.window = window;
    p.destination = destination ? *destination : POINT{-1, -1};
    p.size = size ? *size : SIZE{-1, -1};
    p.source = source;
    p.sourcePoint = sourcePoint ? *sourcePoint : POINT{-1, -1};
    p.key = key;
    p.blend = blend ? *blend : BLENDFUNCTION{};
    p.flags = flags;
    return g_realUpdateLayeredWindow(window, screen, destination, size, source, sourcePoint, key, blend, flags);
}

// The bar is presented with its per-pixel alpha at full constant alpha, without colour key,
// whole, at its window's place: its transparent pixels let the desktop through.
TEST(BarComposition, PaintPresentsTheSurfaceWithItsPerPixelAlpha) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    Presentation seen;
    RECT window{};
    HDC surface = nullptr;
    HWND barWindow = nullptr;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        g_realUpdateLayeredWindow = bar.m_pfnUpdateLayeredWindow;
        bar.m_pfnUpdateLayeredWindow = RecordedPresentation;
        g_presentation = Presentation{};
        Repaint(bar);
        seen = g_presentation;
        bar.m_pfnUpdateLayeredWindow = g_realUpdateLayeredWindow;
        bar.GetWindowRect(&window);
        surface = g_bmpSurface.hdc;
        barWindow = bar.m_hWnd;
    }));
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.window, barWindow);
    EXPECT_EQ(seen.destination.x, window.left);
    EXPECT_EQ(seen.destination.y, window.top);
    EXPECT_EQ(seen.size.cx, 4 * kCell);
    EXPECT_EQ(seen.size.cy, kCellHeight);
    EXPECT_EQ(seen.source, surface);
    EXPECT_EQ(seen.sourcePoint.x, 0);
    EXPECT_EQ(seen.sourcePoint.y, 0);
    EXPECT_EQ(seen.key, 0u);
    EXPECT_EQ(seen.blend.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(seen.blend.BlendFlags, 0);
    EXPECT_EQ(seen.blend.SourceConstantAlpha, 255);
    EXPECT_EQ(seen.blend.AlphaFormat, AC_SRC_ALPHA);
    EXPECT_EQ(seen.flags, static_cast<DWORD>(ULW_ALPHA));
}

// Without the layered-window entry point the bar is not made layered and paints the surface
// into its own window, so it is still seen.
TEST(BarComposition, WithoutTheLayeredEntryPointTheBarPaintsItsSurfaceOpaque) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    DWORD style = 0;
    OpaqueComparison window;
    ASSERT_TRUE(run.Run(
        [&](CNewVanteloDlg& bar) {
            Repaint(bar);
            style = bar.GetExStyle();
            HDC dc = ::GetDC(bar.m_hWnd);
            window = CompareOpaquePixels(dc, {0, 0});
            ::ReleaseDC(bar.m_hWnd, dc);
        },
        [](CNewVanteloDlg& bar) { bar.m_pfnUpdateLayeredWindow = nullptr; }));
    EXPECT_EQ(style & WS_EX_LAYERED, 0u);
    EXPECT_GT(window.opaque, 300);
    EXPECT_EQ(window.differing, 0) << "of " << window.opaque << " opaque pixels";
}

}  // namespace
