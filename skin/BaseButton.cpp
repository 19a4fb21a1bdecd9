#include "skin/BaseButton.h"

#include <commctrl.h>

#include "afx/DC.h"
#include "skin/SkinImage.h"

namespace {

constexpr int kUp = 0;
constexpr int kDown = 1;
constexpr int kDisabled = 2;
constexpr COLORREF kCaptionColour = 0x143250;  // red 80, green 50, blue 20
constexpr int kPressedShift = 2;

}  // namespace

BEGIN_MESSAGE_MAP(BaseButton, CButton)
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, &BaseButton::OnMouseLeave)
ON_MESSAGE(WM_MOUSEHOVER, &BaseButton::OnMouseHover)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BaseButton::BaseButton() {
    LoadSkinBitmap(L"image\\up2.png", m_image[kUp]);
    LoadSkinBitmap(L"image\\down2.png", m_image[kDown]);
    LoadSkinBitmap(L"image\\disable2.png", m_image[kDisabled]);
}

// Members go in reverse order of declaration: the disabled, down and up images, then the
// CButton part with its window.
BaseButton::~BaseButton() = default;

void BaseButton::PreSubclassWindow() {
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_OWNERDRAW);
    SetWindowPos(nullptr, 0, 0, m_image[kUp].dispWidth, m_image[kUp].dispHeight, SWP_NOMOVE | SWP_NOZORDER);
}

void BaseButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    const int pressed = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0 ? 1 : 0;
    if (pressed != m_bPressed)
        ::InvalidateRect(::GetParent(m_hWnd), nullptr, TRUE);
    m_bPressed = pressed;
}

void BaseButton::DrawOnto(MemoryBitmap& target) {
    // A target whose creation failed has neither; one without a device context takes no text.
    if (!IsWindowVisible() || !target.hdc || !target.bits)
        return;
    CDC* dc = CDC::FromHandle(target.hdc);
    wchar_t caption[260] = L"";
    ::GetWindowTextW(m_hWnd, caption, 260);
    RECT area;
    GetClientRect(&area);
    ::MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&area), 2);

    const HFONT oldFont = dc->SelectObject(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    SIZE extent{};
    ::GetTextExtentPoint32W(target.hdc, caption, ::lstrlenW(caption), &extent);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    int x = area.left + (m_image[kUp].dispWidth - extent.cx) / 2;
    int y = area.top + (m_image[kUp].dispHeight - extent.cy) / 2;
    dc->SetTextColor(kCaptionColour);

    const MemoryBitmap* image = &m_image[kUp];
    if (!IsWindowEnabled()) {
        image = &m_image[kDisabled];
    } else if (m_bPressed != 0) {
        image = &m_image[kDown];
        x += kPressedShift;
        y += kPressedShift;
    }
    AlphaBlendBitmap(target, *image, area.left, area.top);
    if (caption[0] != L'\0')
        dc->TextOut(x, y, caption, ::lstrlenW(caption));

    dc->SelectObject(oldFont);
    dc->SetBkMode(oldMode);
}

void BaseButton::OnMouseMove(UINT, CPoint) {
    if (m_bTracking == 0) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_bTracking = ::_TrackMouseEvent(&track);
    }
    InvalidateRect(nullptr, FALSE);
    Default();
}

LRESULT BaseButton::OnMouseLeave(WPARAM, LPARAM) {
    m_bTracking = 0;
    InvalidateRect(nullptr, FALSE);
    return 0;
}

LRESULT BaseButton::OnMouseHover(WPARAM, LPARAM) {
    InvalidateRect(nullptr, TRUE);
    return 0;
}

BOOL BaseButton::OnEraseBkgnd(CDC*) {
    return TRUE;
}
