// The device contexts of the bar's paint: the window's own context is given back before the
// paint cycle ends; and after a relayout that cannot make the bar's surface (GDI objects ran
// out) the next paints do not crash, present nothing and still validate the bar, while a
// surface made again is presented again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BarDialogRun.h"
#include "ImportRedirect.h"
#include "bar/Globals.h"
#include "bar/SkinLayout.h"

namespace {

using bartest::BarDialogRun;
using testsupport::ImportRedirect;

HDC WINAPI NoDeviceContext(HDC) {
    return nullptr;
}

HBITMAP WINAPI NoDibSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) {
    return nullptr;
}

// The bar window's context calls of one paint, in their order, each forwarded to the system.
HWND g_watchedWindow = nullptr;
std::vector<std::string> g_contextCalls;
decltype(&GetDC) g_getDC;
decltype(&ReleaseDC) g_releaseDC;
decltype(&BeginPaint) g_beginPaint;
decltype(&EndPaint) g_endPaint;

void Note(HWND window, const char* call) {
    if (window == g_watchedWindow)
        g_contextCalls.push_back(call);
}
HDC WINAPI NotedGetDC(HWND window) {
    Note(window, "GetDC");
    return g_getDC(window);
}
int WINAPI NotedReleaseDC(HWND window, HDC dc) {
    Note(window, "ReleaseDC");
    return g_releaseDC(window, dc);
}
HDC WINAPI NotedBeginPaint(HWND window, PAINTSTRUCT* paint) {
    Note(window, "BeginPaint");
    return g_beginPaint(window, paint);
}
BOOL WINAPI NotedEndPaint(HWND window, const PAINTSTRUCT* paint) {
    Note(window, "EndPaint");
    return g_endPaint(window, paint);
}

// Invalidates the bar and runs its loop until a paint has validated it again.
bool PaintHandled(CNewVanteloDlg& bar) {
    bar.InvalidateRect(nullptr, TRUE);
    return BarDialogRun::Pump(10000, [&] { return !GetUpdateRect(bar.m_hWnd, nullptr, FALSE); });
}

TEST(BarPaintContexts, TheWindowsContextGoesBackBeforeThePaintCycleEnds) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    bool validated = false;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        ImportRedirect getDC("GetDC", reinterpret_cast<void*>(NotedGetDC));
        ImportRedirect releaseDC("ReleaseDC", reinterpret_cast<void*>(NotedReleaseDC));
        ImportRedirect beginPaint("BeginPaint", reinterpret_cast<void*>(NotedBeginPaint));
        ImportRedirect endPaint("EndPaint", reinterpret_cast<void*>(NotedEndPaint));
        g_getDC = getDC.Original<decltype(&GetDC)>();
        g_releaseDC = releaseDC.Original<decltype(&ReleaseDC)>();
        g_beginPaint = beginPaint.Original<decltype(&BeginPaint)>();
        g_endPaint = endPaint.Original<decltype(&EndPaint)>();
        g_watchedWindow = bar.m_hWnd;
        g_contextCalls.clear();
        validated = PaintHandled(bar);
        g_watchedWindow = nullptr;
    }));
    ASSERT_TRUE(validated);
    ASSERT_GE(g_contextCalls.size(), 4u);
    EXPECT_EQ((std::vector<std::string>{"GetDC", "BeginPaint", "ReleaseDC", "EndPaint"}),
              std::vector<std::string>(g_contextCalls.begin(), g_contextCalls.begin() + 4));
    EXPECT_EQ(0u, g_contextCalls.size() % 4) << "every paint takes and gives back both contexts";
}

int g_presented = 0;
LONG g_accessViolations = 0;

// Sees every access violation first, also one that the system's message dispatch would catch
// and hide (a 64-bit window procedure's fault does not end the program there).
LONG CALLBACK CountAccessViolation(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
        InterlockedIncrement(&g_accessViolations);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Counts the access violations of this program while it lives.
class AccessViolationWatch {
public:
    AccessViolationWatch() : handler_(AddVectoredExceptionHandler(1, CountAccessViolation)) { g_accessViolations = 0; }
    ~AccessViolationWatch() { RemoveVectoredExceptionHandler(handler_); }
    AccessViolationWatch(const AccessViolationWatch&) = delete;
    AccessViolationWatch& operator=(const AccessViolationWatch&) = delete;
    LONG Count() const { return g_accessViolations; }

private:
    void* handler_;
};

BOOL WINAPI CountPresentation(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD) {
    ++g_presented;
    return TRUE;
}

// The relayout's step that sizes the bar and makes its surface anew, while the device context
// or the DIB section cannot be made.
void RemakeSurface(CNewVanteloDlg& bar, bool withoutDeviceContext) {
    if (withoutDeviceContext) {
        ImportRedirect failing("CreateCompatibleDC", reinterpret_cast<void*>(NoDeviceContext));
        SizeAndPlaceBar(bar, SWP_SHOWWINDOW);
    } else {
        ImportRedirect failing("CreateDIBSection", reinterpret_cast<void*>(NoDibSection));
        SizeAndPlaceBar(bar, SWP_SHOWWINDOW);
    }
}

struct MissingPart {
    const char* label;
    bool withoutDeviceContext;
};

class BarPaintWithoutSurface : public ::testing::TestWithParam<MissingPart> {};

TEST_P(BarPaintWithoutSurface, PaintsPresentNothingAndStillValidate) {
    BarDialogRun run(bartest::ProfileWithBytes("1 1 1"));
    bool surfaceMissing = false, validated = false, presentedAgain = false;
    int presentedWithout = -1;
    LONG faults = -1;
    ASSERT_TRUE(run.Run([&](CNewVanteloDlg& bar) {
        bar.m_pfnUpdateLayeredWindow = CountPresentation;
        RemakeSurface(bar, GetParam().withoutDeviceContext);
        surfaceMissing = !g_bmpSurface.hdc || !g_bmpSurface.bits;
        g_presented = 0;
        {
            AccessViolationWatch watch;
            validated = PaintHandled(bar) && PaintHandled(bar);
            faults = watch.Count();
        }
        presentedWithout = g_presented;

        SizeAndPlaceBar(bar, SWP_SHOWWINDOW);
        presentedAgain = PaintHandled(bar) && g_presented > presentedWithout;
    }));
    ASSERT_TRUE(surfaceMissing) << "the forced failure left a whole surface";
    EXPECT_EQ(0, faults) << "access violations while the bar painted without surface";
    EXPECT_TRUE(validated) << "a paint without surface left the bar invalid";
    EXPECT_EQ(0, presentedWithout);
    EXPECT_TRUE(presentedAgain) << "a surface made again was not presented";
}

INSTANTIATE_TEST_SUITE_P(Relayout, BarPaintWithoutSurface,
                         ::testing::Values(MissingPart{"NoDeviceContext", true}, MissingPart{"NoPixels", false}),
                         [](const ::testing::TestParamInfo<MissingPart>& info) { return info.param.label; });

}  // namespace
