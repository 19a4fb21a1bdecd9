#include "afx/Dialog.h"

#include "afx/WinApp.h"

const CRuntimeClass CDialog::classCDialog{"CDialog", 0xFFFF, nullptr, &CWnd::classCWnd};

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog box procedure under the dialog class's own: every message reaches the
// layer's window procedure first, so nothing is left for it to do.
INT_PTR CALLBACK LayerDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Whether the dialog template (plain or extended form) places the dialog at (0, 0).
bool TemplateAtOrigin(UINT id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    const DWORD size = resource != nullptr ? ::SizeofResource(module, resource) : 0;
    const auto* bytes =
        size >= 4 ? static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource))) : nullptr;
    if (bytes == nullptr)
        return false;
    const bool extended = reinterpret_cast<const WORD*>(bytes)[1] == 0xFFFF;
    const DWORD offset = extended ? 18 : 10;
    if (size < offset + 4)
        return false;
    const auto* position = reinterpret_cast<const short*>(bytes + offset);
    return position[0] == 0 && position[1] == 0;
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

HWND CDialog::FindOwner() const {
    CWnd* parent = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    if (parent == nullptr || parent == this || parent->m_hWnd == nullptr)
        return nullptr;
    return ::GetAncestor(parent->m_hWnd, GA_ROOT);
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr)
        return -1;
    HWND owner = FindOwner();
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    m_nModalResult = -1;
    m_bModal = true;
    m_bContinueModal = true;
    m_bQuit = false;
    struct Creation {
        UINT id;
        HWND owner;
    } creation{m_nIDTemplate, owner};
    afx::CreateRouted(
        this,
        [](void* context) {
            auto* c = static_cast<Creation*>(context);
            return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c->id), c->owner,
                                        &LayerDialogProc, 0);
        },
        &creation);
    if (m_hWnd != nullptr)
        RunModalLoop();
    m_bModal = false;
    m_bContinueModal = false;

    // The owner comes back first, so that activation returns to it and not elsewhere.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd != nullptr) {
        if (owner != nullptr && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
        DestroyWindow();
    }
    // After the destruction, whose own quit request (a main window's) must not replace it.
    if (m_bQuit)
        ::PostQuitMessage(m_nQuitCode);
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    // A dialog that is not visible now is shown once the queue first runs dry.
    bool showOnIdle = (GetStyle() & WS_VISIBLE) == 0;
    MSG msg;
    while (m_bContinueModal && m_hWnd != nullptr) {
        if (showOnIdle) {
            const bool idle = !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            if (!m_bContinueModal || m_hWnd == nullptr)
                break;
            if (idle) {
                showOnIdle = false;
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                continue;
            }
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_bQuit = true;
            m_nQuitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        afx::PumpMessage(msg);
    }
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wakes the loop should it be waiting (a message sent from another thread ended it).
        PostMessage(WM_NULL);
    }
}

bool CDialog::ShouldCentre() const {
    const DWORD style = GetStyle();
    return m_bModal && (style & WS_CHILD) == 0 && (style & (DS_CENTER | DS_CENTERMOUSE)) == 0 &&
           TemplateAtOrigin(m_nIDTemplate);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    RECT before;
    GetWindowRect(&before);
    const BOOL result = OnInitDialog();
    // A modal dialog at the template's origin that its initialisation did not move opens
    // centred over its owner.
    RECT after;
    if (m_hWnd != nullptr && ShouldCentre() && (GetWindowRect(&after), ::EqualRect(&before, &after)))
        CenterWindow();
    return result;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd != nullptr)
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

bool CDialog::OnCmdMsg(UINT id, UINT code) {
    if (CWnd::OnCmdMsg(id, code))
        return true;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code);
}
