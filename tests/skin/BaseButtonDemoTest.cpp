// A small dialog that uses the layer and the image button the way the bar does: buttons
// bound by data exchange and sized to their pictures from a skin package, one composite
// surface presented with UpdateLayeredWindow, a repaint timer and tool tips relayed from
// the message filter. A scripted press, release and disable of its buttons must show up
// in the composite at each paint.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "SkinFixtures.h"
#include "afx/Afx.h"
#include "skin/BaseButton.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

constexpr int kMute = 0;
constexpr int kHide = 1;
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT_PTR kScriptTimer = 3;

// Opaque pictures, so that a blended button shows its own colour exactly.
const uint8_t kRed[] = {220, 0, 0}, kGreen[] = {0, 220, 0}, kBlue[] = {0, 0, 220}, kYellow[] = {220, 220, 0};

skintest::Bytes Picture(int width, int height, const uint8_t* rgb, uint8_t alpha) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {rgb[0], rgb[1], rgb[2], alpha});
    return skintest::EncodePng(skintest::RgbaPicture(width, height, pixels));
}

class DemoDialog : public CDialog {
public:
    DemoDialog() : CDialog(200) {}

    BaseButton m_btn[2];
    CToolTipCtrl m_toolTip;
    MemoryBitmap m_background;
    MemoryBitmap m_surface;
    std::vector<std::string> log;
    bool presented = true;
    bool layeredAtFirstPaint = true;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        const wchar_t* pictures[2][2] = {{L"img\\BTN8_UP.PNG", L"img\\BTN8_DOWN.PNG"},
                                         {L"img\\EXIT_UP.PNG", L"img\\EXIT_DOWN.PNG"}};
        for (int i = 0; i < 2; ++i) {
            LoadSkinBitmap(pictures[i][0], m_btn[i].m_image[0]);
            LoadSkinBitmap(pictures[i][1], m_btn[i].m_image[1]);
            LoadSkinBitmap(pictures[i][1], m_btn[i].m_image[2]);
            m_btn[i].PreSubclassWindow();
            m_btn[i].SetWindowPos(nullptr, 8 + 32 * i, 4, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        }
        LoadSkinBitmap(L"img\\LeftBg.PNG", m_background);
        m_surface.Create32(m_background.width, m_background.height);
        SetWindowPos(nullptr, 0, 0, m_surface.width, m_surface.height, SWP_NOMOVE | SWP_NOZORDER);

        m_toolTip.Create(this);
        m_toolTip.AddTool(&m_btn[kMute]);
        m_toolTip.AddTool(&m_btn[kHide]);
        m_toolTip.UpdateTipText(L"Mute", &m_btn[kMute]);
        m_toolTip.UpdateTipText(L"Hide to system tray", &m_btn[kHide]);

        SetTimer(kRepaintTimer, 500, nullptr);
        SetTimer(kScriptTimer, 60, nullptr);
        return TRUE;
    }

    BOOL PreTranslateMessage(MSG* msg) override {
        m_toolTip.SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void OnPaint() {
        const DWORD exStyle = GetExStyle();
        if ((exStyle & WS_EX_LAYERED) == 0) {
            layeredAtFirstPaint = false;
            ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
        }
        CPaintDC paint(this);
        std::memset(m_surface.bits, 0, m_surface.Stride() * m_surface.height);
        AlphaBlendBitmap(m_surface, m_background, 0, 0);
        for (BaseButton& button : m_btn)
            button.DrawOnto(m_surface);
        Record(std::string(repaintTick_ ? "repaint" : "paint") + " mute=" + Look(m_btn[kMute]) +
               " hide=" + Look(m_btn[kHide]));
        if (repaintTick_)
            EndDialog(IDOK);

        HDC screen = ::GetDC(m_hWnd);
        RECT window;
        GetWindowRect(&window);
        POINT destination{window.left, window.top}, source{0, 0};
        SIZE size{m_surface.width, m_surface.height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        presented = presented && ::UpdateLayeredWindow(m_hWnd, screen, &destination, &size, m_surface.hdc, &source, 0,
                                                       &blend, ULW_ALPHA);
        ::ReleaseDC(m_hWnd, screen);
    }

    // The script runs first; the first repaint tick after it ends the dialog at its paint.
    void OnTimer(UINT_PTR id) {
        if (id == kRepaintTimer) {
            repaintTick_ = step_ > 2;
            Invalidate(TRUE);
        }
        if (id == kScriptTimer)
            RunStep();
        Default();
    }

    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnMute() { Record("clicked mute"); }
    void OnHide() { Record("clicked hide"); }

    DECLARE_MESSAGE_MAP()

private:
    // One step per script tick; the paints that a step causes come before the next tick.
    void RunStep() {
        const LPARAM inside = MAKELPARAM(3, 3);
        switch (step_++) {
            case 0:
                Record("press hide");
                m_btn[kHide].PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
                break;
            case 1:
                Record("release hide");
                m_btn[kHide].PostMessage(WM_LBUTTONUP, 0, inside);
                break;
            case 2:
                Record("disable mute");
                m_btn[kMute].EnableWindow(FALSE);
                Invalidate(TRUE);
                KillTimer(kScriptTimer);
                break;
        }
    }

    // Which picture the composite shows at the button's corner.
    std::string Look(const BaseButton& button) const {
        RECT rect;
        ::GetWindowRect(button.m_hWnd, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 1);
        const BYTE* pixel = m_surface.bits + rect.top * m_surface.Stride() + 4 * rect.left;
        const uint8_t rgb[] = {pixel[2], pixel[1], pixel[0]};
        for (auto [name, colour] : {std::pair{"red", kRed}, {"green", kGreen}, {"blue", kBlue}, {"yellow", kYellow}}) {
            if (std::memcmp(rgb, colour, 3) == 0)
                return name;
        }
        return "other";
    }

    // Consecutive equal lines (the repaint timer's) are kept once.
    void Record(const std::string& line) {
        if (log.empty() || log.back() != line)
            log.push_back(line);
    }

    int step_ = 0;
    bool repaintTick_ = false;
};

BEGIN_MESSAGE_MAP(DemoDialog, CDialog)
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_ERASEBKGND()
ON_BN_CLICKED(1000, &DemoDialog::OnMute)
ON_BN_CLICKED(1100, &DemoDialog::OnHide)
END_MESSAGE_MAP()

}  // namespace

// The dialog binds its template's buttons in its data exchange, as the bar does.
class BoundDemoDialog : public DemoDialog {
protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1000, m_btn[kMute]);
        DDX_Control(pDX, 1100, m_btn[kHide]);
    }
};

TEST(BaseButtonDemo, PressReleaseAndDisableReachTheCompositeAtTheNextPaint) {
    skintest::PackageFile package;
    ASSERT_EQ(1, package.Load(skintest::BuildPackage({
                     {"LeftBg.PNG", Picture(72, 28, kGreen, 128)},
                     {"BTN8_UP.PNG", Picture(20, 20, kRed, 255)},
                     {"BTN8_DOWN.PNG", Picture(20, 20, kBlue, 255)},
                     {"EXIT_UP.PNG", Picture(20, 20, kYellow, 255)},
                     {"EXIT_DOWN.PNG", Picture(20, 20, kBlue, 255)},
                 })));
    CWinApp app;
    BoundDemoDialog dialog;
    app.m_pMainWnd = &dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    ReleaseSkinPack();
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the main window's end posts WM_QUIT";

    const std::vector<std::string> expected{
        "paint mute=red hide=yellow",
        "press hide",
        "paint mute=red hide=blue",
        "release hide",
        "clicked hide",
        "paint mute=red hide=yellow",
        "disable mute",
        "paint mute=blue hide=yellow",
        "repaint mute=blue hide=yellow",
    };
    EXPECT_EQ(expected, dialog.log);
    EXPECT_FALSE(dialog.layeredAtFirstPaint);
    EXPECT_TRUE(dialog.presented);
}
