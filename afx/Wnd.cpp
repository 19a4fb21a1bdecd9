#include "afx/Wnd.h"

#include <algorithm>
#include <unordered_map>

#include "afx/DataExchange.h"
#include "afx/HandleMap.h"
#include "afx/Menu.h"
#include "afx/WinApp.h"

const CRuntimeClass CWnd::classCWnd{"CWnd", 0xFFFF, nullptr, &CCmdTarget::classCCmdTarget};

namespace {

bool WindowAlive(HWND hWnd) {
    return ::IsWindow(hWnd) != FALSE;
}
void ReleaseWindow(CWnd& wnd) {
    wnd.m_hWnd = nullptr;
}

using TemporaryWindows = afx::TemporaryMap<HWND, CWnd, WindowAlive, ReleaseWindow>;

// What the layer keeps per thread: its windows, and the message being handled.
struct ThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    TemporaryWindows temporary;
    MSG current{};
    CWnd* pendingCreation = nullptr;
};

ThreadState& State() {
    thread_local ThreadState state;
    return state;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_DRAWITEM()
ON_MESSAGE(WM_DISPLAYCHANGE, &CWnd::OnDisplayChange)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
        ::DestroyWindow(m_hWnd);
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto& permanent = State().permanent;
    auto found = permanent.find(hWnd);
    return found != permanent.end() ? found->second : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    return State().temporary.Get(hWnd, [](HWND h) {
        auto wnd = std::make_unique<CWnd>();
        wnd->m_hWnd = h;
        return wnd;
    });
}

void CWnd::AttachRouted(HWND hWnd) {
    m_hWnd = hWnd;
    State().permanent[hWnd] = this;
    m_pfnSuper =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

void CWnd::DetachRouted() {
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    State().permanent.erase(m_hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    // The application ends with its main window.
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    m_hWnd = hWnd;
    State().permanent[hWnd] = this;
    PreSubclassWindow();
    m_pfnSuper =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

LRESULT CALLBACK AfxCreationHook(int code, WPARAM wParam, LPARAM lParam) {
    ThreadState& state = State();
    if (code == HCBT_CREATEWND && state.pendingCreation != nullptr) {
        CWnd* wnd = state.pendingCreation;
        state.pendingCreation = nullptr;
        wnd->AttachRouted(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND afx::CreateRouted(CWnd* wnd, HWND (*create)(void* context), void* context) {
    ThreadState& state = State();
    CWnd* outer = state.pendingCreation;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &AfxCreationHook, nullptr, ::GetCurrentThreadId());
    state.pendingCreation = wnd;
    HWND hWnd = create(context);
    state.pendingCreation = outer;
    ::UnhookWindowsHookEx(hook);
    // A window that failed late in its creation was destroyed and detached already.
    return hWnd != nullptr && wnd->m_hWnd == hWnd ? hWnd : nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd != nullptr)
        return FALSE;
    struct Arguments {
        DWORD exStyle;
        LPCWSTR className, windowName;
        DWORD style;
        int x, y, width, height;
        HWND parent;
        HMENU menu;
        LPVOID param;
    } args{dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent, nIDorHMenu, lpParam};
    HWND hWnd = afx::CreateRouted(
        this,
        [](void* context) {
            auto* a = static_cast<Arguments*>(context);
            return ::CreateWindowExW(a->exStyle, a->className, a->windowName, a->style, a->x, a->y, a->width, a->height,
                                     a->parent, a->menu, ::GetModuleHandleW(nullptr), a->param);
        },
        &args);
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    ThreadState& state = State();
    const MSG outer = state.current;
    state.current = MSG{hWnd, message, wParam, lParam, 0, {}};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    state.current = outer;
    if (message == WM_NCDESTROY)
        wnd->DetachRouted();
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& current = State().current;
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND && OnCommand(wParam, lParam)) {
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
    if (entry == nullptr)
        return FALSE;
    *pResult = entry->invoke(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators carry no control window; both count as notification code 0.
    const UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    return OnCmdMsg(LOWORD(wParam), code);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (lpDrawItemStruct->CtlType != ODT_MENU) {
        if (CWnd* control = FromHandlePermanent(lpDrawItemStruct->hwndItem)) {
            LRESULT result = 0;
            if (control->OnChildNotify(WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                                       reinterpret_cast<LPARAM>(lpDrawItemStruct), &result))
                return;
        }
    }
    Default();
}

LRESULT CWnd::OnDisplayChange(WPARAM wParam, LPARAM lParam) {
    if ((GetStyle() & WS_CHILD) == 0)
        SendMessageToDescendants(WM_DISPLAYCHANGE, wParam, lParam);
    return Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}
void CWnd::PreSubclassWindow() {}
void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

namespace {

void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, message, wParam, lParam);
        SendToDescendants(child, message, wParam, lParam);
    }
}

}  // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const {
    SendToDescendants(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int nID) const {
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}
DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}
DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~dwRemove) | dwAdd;
    if (changed == style)
        return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}
BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(m_hWnd, bEnable);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

void CWnd::SetWindowText(LPCWSTR lpszString) {
    ::SetWindowTextW(m_hWnd, lpszString);
}
void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}
void CWnd::GetWindowRect(LPRECT lpRect) const {
    ::GetWindowRect(m_hWnd, lpRect);
}
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}
void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return ::KillTimer(m_hWnd, nIDEvent);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}
BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption != nullptr ? lpszCaption : AfxGetAppName(), nType);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    HWND owner = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner != nullptr ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT over = work;
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &over);
    RECT self;
    GetWindowRect(&self);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = (over.left + over.right) / 2 - width / 2;
    int y = (over.top + over.bottom) / 2 - height / 2;
    // Keep it on the work area; the top-left corner wins when it is larger than that.
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::EnableToolTips(BOOL) {
    return TRUE;
}

void afx::PumpMessage(MSG& msg) {
    for (HWND hWnd = msg.hwnd; hWnd != nullptr;
         hWnd = (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) != 0 ? ::GetParent(hWnd) : nullptr) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd); wnd != nullptr && wnd->PreTranslateMessage(&msg))
            return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}
