// CMenu: a menu handle; menus loaded or attached here are destroyed with the object,
// wrappers from FromHandle own nothing.
#pragma once

#include <windows.h>

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }

    static CMenu* FromHandle(HMENU hMenu);

    // Menu resource nIDResource of the program; FALSE when this object holds one already.
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();

    CMenu* GetSubMenu(int nPos) const;
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
};
