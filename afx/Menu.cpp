#include "afx/Menu.h"

#include <memory>

#include "afx/HandleMap.h"
#include "afx/Wnd.h"

namespace {

bool MenuAlive(HMENU hMenu) {
    return ::IsMenu(hMenu) != FALSE;
}
void ReleaseMenu(CMenu& menu) {
    menu.m_hMenu = nullptr;
}

}  // namespace

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (hMenu == nullptr)
        return nullptr;
    thread_local afx::TemporaryMap<HMENU, CMenu, MenuAlive, ReleaseMenu> temporary;
    return temporary.Get(hMenu, [](HMENU h) {
        auto menu = std::make_unique<CMenu>();
        menu->m_hMenu = h;
        return menu;
    });
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
    return Attach(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource)));
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (hMenu == nullptr || m_hMenu != nullptr)
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU hMenu = m_hMenu;
    m_hMenu = nullptr;
    return hMenu;
}

BOOL CMenu::DestroyMenu() {
    HMENU hMenu = Detach();
    return hMenu != nullptr && ::DestroyMenu(hMenu);
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem) {
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem) {
    return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos) {
    return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd != nullptr ? pWnd->m_hWnd : nullptr, lpRect);
}
