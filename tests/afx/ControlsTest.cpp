// Controls and drawing objects: tool tips identified by their tool windows, the paint
// cycle of CPaintDC, the window context of CClientDC, and which wrappers own their handles.
#include <gtest/gtest.h>

#include "MessageLog.h"
#include "afx/Afx.h"

namespace {

TEST(ToolTipCtrl, ToolsAreTheirWindowsWithTextsSetLater) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, afxtest::TestWindowClass(), L"", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr));
    CButton mute, volume;
    ASSERT_TRUE(mute.SubclassWindow(CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                                    parent.m_hWnd, reinterpret_cast<HMENU>(1007), nullptr, nullptr)));
    ASSERT_TRUE(volume.SubclassWindow(CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 30, 0, 20, 20,
                                                      parent.m_hWnd, reinterpret_cast<HMENU>(1008), nullptr, nullptr)));
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&parent));
    EXPECT_EQ(&tips, CWnd::FromHandle(tips.m_hWnd));
    EXPECT_EQ(parent.m_hWnd, GetWindow(tips.m_hWnd, GW_OWNER));
    EXPECT_TRUE(tips.AddTool(&mute));
    EXPECT_TRUE(tips.AddTool(&volume));
    tips.UpdateTipText(L"Mute", &mute);
    EXPECT_EQ(2, tips.SendMessage(TTM_GETTOOLCOUNT));

    struct Expect {
        CWnd* tool;
        const wchar_t* text;
    };
    for (const Expect& e : {Expect{&mute, L"Mute"}, Expect{&volume, nullptr}}) {
        wchar_t text[80] = L"";
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = parent.m_hWnd;
        info.uId = reinterpret_cast<UINT_PTR>(e.tool->m_hWnd);
        info.lpszText = text;
        ASSERT_TRUE(tips.SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(static_cast<UINT>(TTF_IDISHWND), info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS));
        if (e.text != nullptr) {
            EXPECT_STREQ(e.text, info.lpszText);
        } else {
            EXPECT_EQ(LPSTR_TEXTCALLBACKW, info.lpszText);
        }
    }
}

class Painted : public CWnd {
public:
    int paints = 0;

protected:
    void OnPaint() {
        ++paints;
        CPaintDC dc(this);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Painted, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(CPaintDC, PaintCycleValidatesTheWindowWithoutDrawing) {
    Painted window;
    ASSERT_TRUE(window.CreateEx(0, afxtest::TestWindowClass(), L"", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr));
    window.ShowWindow(SW_SHOWNA);
    window.UpdateWindow();
    window.paints = 0;
    window.Invalidate(TRUE);
    window.UpdateWindow();
    EXPECT_EQ(1, window.paints);
    EXPECT_FALSE(GetUpdateRect(window.m_hWnd, nullptr, FALSE));
}

// A window's own device context is the window's while the object lives and given back when
// it goes: a second release then finds nothing to release.
TEST(CClientDC, HoldsTheWindowsDeviceContextAndGivesItBackWhenItGoes) {
    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, afxtest::TestWindowClass(), L"", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr));
    HDC held = nullptr;
    {
        CClientDC dc(&window);
        held = dc;
        ASSERT_NE(nullptr, held);
        EXPECT_EQ(window.m_hWnd, WindowFromDC(held));
    }
    EXPECT_EQ(0, ReleaseDC(window.m_hWnd, held)) << "the context was still out after its object went";
}

TEST(Ownership, LoadedMenusAndCreatedFontsGoWithTheirObjectsWrappersOwnNothing) {
    HMENU popup = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(129));
        CMenu* sub = menu.GetSubMenu(0);
        ASSERT_NE(nullptr, sub);
        EXPECT_EQ(sub, CMenu::FromHandle(sub->m_hMenu));
        popup = sub->m_hMenu;
        EXPECT_TRUE(sub->ModifyMenu(32771, MF_BYCOMMAND | MF_STRING, 32771, L"Quit"));
        wchar_t text[16] = L"";
        GetMenuStringW(popup, 32771, text, 16, MF_BYCOMMAND);
        EXPECT_STREQ(L"Quit", text);
        EXPECT_FALSE(menu.LoadMenu(129));  // holds one already
    }
    EXPECT_FALSE(IsMenu(popup));

    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, afxtest::TestWindowClass(), L"", WS_POPUP | WS_SYSMENU | WS_CAPTION, 0, 0, 60, 40,
                                nullptr, nullptr));
    CMenu* system = window.GetSystemMenu(FALSE);
    ASSERT_NE(nullptr, system);
    EXPECT_TRUE(system->AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(IsMenu(GetSystemMenu(window.m_hWnd, FALSE)));

    HFONT created = nullptr;
    {
        CFont font;
        ASSERT_TRUE(font.CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, FF_ROMAN, L"Arial"));
        created = font;
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(created));
    }
    EXPECT_EQ(0u, GetObjectType(created));

    HDC screen = GetDC(nullptr);
    CDC* dc = CDC::FromHandle(screen);
    EXPECT_EQ(dc, CDC::FromHandle(screen));
    EXPECT_EQ(screen, dc->m_hDC);
    ReleaseDC(nullptr, screen);
}

}  // namespace
