// The bar's look: every paint composes the whole surface anew and hands it to the system as
// the layered window's per-pixel-alpha image.
#include <optional>

#include "bar/BarSurface.h"
#include "bar/ButtonSet.h"
#include "bar/NewVanteloDlg.h"
#include "bar/SkinLayout.h"

void CNewVanteloDlg::OnPaint() {
    m_blend.SourceConstantAlpha = static_cast<BYTE>(g_nBarAlpha & 0xFF);
    // Made before the window's device context is taken but ending after it is given back:
    // the paint cycle closes the paint.
    std::optional<CPaintDC> paint;
    CClientDC windowDC(this);
    RECT window;
    GetWindowRect(&window);
    // Without the layered-window entry point the bar stays an ordinary window, painted opaque.
    if (m_pfnUpdateLayeredWindow) {
        const DWORD exStyle = GetExStyle();
        if ((exStyle & WS_EX_LAYERED) == 0)
            ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
    }
    paint.emplace(this);
    if (!ComposeSurface())
        return;
    if (m_pfnUpdateLayeredWindow) {
        POINT destination{window.left, window.top};
        SIZE size{g_bmpSurface.width, g_bmpSurface.height};
        POINT source{0, 0};
        m_pfnUpdateLayeredWindow(m_hWnd, windowDC, &destination, &size, g_bmpSurface.hdc, &source, 0, &m_blend,
                                 ULW_ALPHA);
    } else {
        ::BitBlt(*paint, 0, 0, g_bmpSurface.width, g_bmpSurface.height, g_bmpSurface.hdc, 0, 0, SRCCOPY);
    }
}

bool CNewVanteloDlg::ComposeSurface() {
    // A relayout that ran out of GDI objects leaves a surface without device context or
    // pixels: there is nothing to compose into, and nothing worth presenting.
    if (!g_bmpSurface.hdc || !g_bmpSurface.bits)
        return false;
    // Each byte combined with itself: every pixel becomes transparent black.
    ::BitBlt(g_bmpSurface.hdc, 0, 0, g_nBarWidth, g_nBarHeight, g_bmpSurface.hdc, 0, 0, SRCINVERT);
    BlendBackgroundPieces(g_bmpSurface, g_nButtonVisible, g_bmpLeftBg, g_bmpMiddleBg, g_bmpRightBg, g_bmpSingleBg);
    for (int i = 1; i <= ReportedButtons(); ++i)
        m_btn[i].DrawOnto(g_bmpSurface);
    m_btn[kHideButton].DrawOnto(g_bmpSurface);
    return true;
}
