#include "afx/Menu.h"

#include <memory>
#include <utility>

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
    // One menu per object: a second one is refused before it is loaded, so none is lost.
    if (m_hMenu != nullptr)
        return FALSE;
    m_hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
    return m_hMenu != nullptr;
}

BOOL CMenu::DestroyMenu() {
    HMENU hMenu = std::exchange(m_hMenu, nullptr);
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
