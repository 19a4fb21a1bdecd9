// A relayout that cannot make the bar's surface (GDI objects ran out): the next paints do not
// crash, present nothing and still validate the bar; a surface made again is presented again.
#include <gtest/gtest.h>

#include "BarDialogRun.h"
#include "bar/Globals.h"
#include "bar/SkinLayout.h"

// This program's import slots of the two creations that a surface needs, by their linker
// names, so that a test can make them fail for everything linked into the program.
#ifdef _WIN64
extern "C" decltype(&CreateCompatibleDC) importedCreateCompatibleDC asm("__imp_CreateCompatibleDC");
extern "C" decltype(&CreateDIBSection) importedCreateDIBSection asm("__imp_CreateDIBSection");
#else
extern "C" decltype(&CreateCompatibleDC) importedCreateCompatibleDC asm("__imp__CreateCompatibleDC@4");
extern "C" decltype(&CreateDIBSection) importedCreateDIBSection asm("__imp__CreateDIBSection@24");
#endif

namespace {

using bartest::BarDialogRun;

HDC WINAPI NoDeviceContext(HDC) {
    return nullptr;
}

HBITMAP WINAPI NoDibSection(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) {
    return nullptr;
}

// While it lives, the import slot leads to `failing` instead of the system's function.
template <typename Function>
class FailingImport {
public:
    FailingImport(Function& slot, Function failing) : slot_(slot), real_(slot) { Write(failing); }
    ~FailingImport() { Write(real_); }
    FailingImport(const FailingImport&) = delete;
    FailingImport& operator=(const FailingImport&) = delete;

private:
    void Write(Function value) {
        DWORD protection = 0;
        VirtualProtect(&slot_, sizeof(slot_), PAGE_READWRITE, &protection);
        slot_ = value;
        VirtualProtect(&slot_, sizeof(slot_), protection, &protection);
    }
    Function& slot_;
    Function real_;
};

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
        FailingImport<decltype(&CreateCompatibleDC)> failing(importedCreateCompatibleDC, NoDeviceContext);
        SizeAndPlaceBar(bar, SWP_SHOWWINDOW);
    } else {
        FailingImport<decltype(&CreateDIBSection)> failing(importedCreateDIBSection, NoDibSection);
        SizeAndPlaceBar(bar, SWP_SHOWWINDOW);
    }
}

bool PaintHandled(CNewVanteloDlg& bar) {
    bar.InvalidateRect(nullptr, TRUE);
    return BarDialogRun::Pump(10000, [&] { return !GetUpdateRect(bar.m_hWnd, nullptr, FALSE); });
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
