// The cost of one repaint of the full bar: the real bar dialog run in this process on the
// default simulated machine (nineteen buttons, so twenty cells with the hide button).
// Averages over many paints, timed with the performance counter:
//   compose            ComposeSurface alone: the clear, 20 background blends, 20 button blends;
//   with presentation  the bar's whole OnPaint (the bar window invalidated without its button
//                      windows, then UpdateWindow runs OnPaint at once): the composition plus
//                      the window's device context and UpdateLayeredWindow;
//   whole window       the bar invalidated with its button windows, as the repaint timer does,
//                      so that each button window paints too (shown for comparison).
// Every timed paint must reach UpdateLayeredWindow, counted through the bar's pointer to it,
// or the run fails. The last line gives the first two averages in milliseconds.
//
// Run after a build, on a display (Wine needs one for windows), through the build tree's
// wine-run, so that it runs in that tree's prefix with the out folder (TamsilIO.dll) on its path:
//   xvfb-run -a build/wine-run build/bench/repaint_bench.exe
// or, with the tree's wineserver kept running (scripts/lib.sh: ensure_display;
// start_wineserver i686), build/wine-run build/bench/repaint_bench.exe.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "BarDialogRun.h"
#include "bar/ButtonSet.h"
#include "bar/SkinLayout.h"

namespace {

constexpr int kWarmUp = 50;
constexpr int kPaints = 2000;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

decltype(&::UpdateLayeredWindow) g_realUpdate = nullptr;
int g_presented = 0;
int g_presentFailures = 0;
double g_presenting = 0;  // milliseconds inside UpdateLayeredWindow

BOOL WINAPI CountingUpdate(HWND window, HDC destinationDC, POINT* destination, SIZE* size, HDC sourceDC, POINT* source,
                           COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    ++g_presented;
    const double start = Now();
    const BOOL result = g_realUpdate(window, destinationDC, destination, size, sourceDC, source, key, blend, flags);
    g_presenting += Now() - start;
    if (!result)
        ++g_presentFailures;
    return result;
}

// Average milliseconds of `paint` over kPaints runs, after kWarmUp untimed ones.
template <typename Paint>
double AverageMilliseconds(Paint paint) {
    for (int i = 0; i < kWarmUp; ++i)
        paint();
    GdiFlush();
    const double start = Now();
    for (int i = 0; i < kPaints; ++i)
        paint();
    GdiFlush();
    return (Now() - start) / kPaints;
}

// Average milliseconds of `paint` with each paint's UpdateLayeredWindow counted; false when
// some paint did not present or its presentation failed.
template <typename Paint>
bool AveragePresented(CNewVanteloDlg& bar, Paint paint, double* milliseconds) {
    g_realUpdate = bar.m_pfnUpdateLayeredWindow;
    bar.m_pfnUpdateLayeredWindow = CountingUpdate;
    g_presented = g_presentFailures = 0;
    g_presenting = 0;
    bar.RearmAutoHide();
    *milliseconds = AverageMilliseconds(paint);
    bar.m_pfnUpdateLayeredWindow = g_realUpdate;
    if (g_presented == kWarmUp + kPaints && g_presentFailures == 0)
        return true;
    std::fprintf(stderr, "%d paints reached UpdateLayeredWindow of %d, %d of them failed\n", g_presented,
                 kWarmUp + kPaints, g_presentFailures);
    return false;
}

int VisibleCells(CNewVanteloDlg& bar) {
    int cells = bar.m_btn[kHideButton].IsWindowVisible() ? 1 : 0;
    for (int i = 1; i <= 19; ++i)
        if (bar.m_btn[i].m_hWnd && bar.m_btn[i].IsWindowVisible())
            ++cells;
    return cells;
}

}  // namespace

int main() {
    double compose = 0, paint = 0, window = 0, presenting = 0;
    int cells = 0;
    bool presented = false;
    try {
        // The default machine (nineteen buttons); an empty text is no profile to the harness.
        bartest::BarDialogRun run;
        const bool ran = run.Run([&](CNewVanteloDlg& bar) {
            cells = VisibleCells(bar);
            if (!bar.m_pfnUpdateLayeredWindow) {
                std::fprintf(stderr, "the bar found no UpdateLayeredWindow\n");
                return;
            }
            bar.RearmAutoHide();
            compose = AverageMilliseconds([&] { bar.ComposeSurface(); });
            presented = AveragePresented(
                bar,
                [&] {
                    ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
                    bar.UpdateWindow();
                },
                &paint);
            presenting = g_presenting / g_presented;
            presented = presented && AveragePresented(
                                         bar,
                                         [&] {
                                             bar.InvalidateRect(nullptr, TRUE);
                                             bar.UpdateWindow();
                                         },
                                         &window);
        });
        if (!ran) {
            std::fprintf(stderr, "the bar did not start or never showed\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("bar %d x %d, %d visible buttons of %d reported, %d cells drawn\n", g_nBarWidth, g_nBarHeight,
                g_nButtonVisible, g_nButtonTotal, cells);
    if (cells != 20 || g_nButtonVisible != 19) {
        std::fprintf(stderr, "expected the full bar of twenty cells\n");
        return 1;
    }
    if (!presented)
        return 1;
    std::printf("%d paints each, every one presented; UpdateLayeredWindow %.3f ms of each OnPaint\n", kPaints,
                presenting);
    std::printf("whole window with its 20 button windows, as the repaint timer invalidates it: %.3f ms\n", window);
    std::printf("repaint: compose %.3f ms, with presentation %.3f ms\n", compose, paint);
    return 0;
}
