#include "bar/NewVanteloDlg.h"

#include "bar/AboutDlg.h"
#include "bar/ButtonSet.h"
#include "bar/Hardware.h"
#include "bar/Settings.h"
#include "bar/SkinLayout.h"
#include "res/resource.h"

// The icon record is handed over whole, up to and including the balloon icon handle: 956
// bytes in the shipped 32-bit program, more in a 64-bit build, whose handles are wider.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 956,
              "the 32-bit notification-area icon record has the size the shell expects");

BEGIN_MESSAGE_MAP(CNewVanteloDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_MESSAGE(kHotkeyEventMessage, &CNewVanteloDlg::OnHotkeyEvent)
ON_BN_CLICKED(IDC_BTN_BLUETOOTH, &CNewVanteloDlg::OnBluetooth)
ON_BN_CLICKED(IDC_BTN_SLEEP, &CNewVanteloDlg::OnSleep)
ON_BN_CLICKED(IDC_BTN_POWER_FEATURE, &CNewVanteloDlg::OnPowerFeature)
ON_BN_CLICKED(IDC_BTN_CRT_LCD, &CNewVanteloDlg::OnCrtLcdSwitch)
ON_BN_CLICKED(IDC_BTN_RADIO, &CNewVanteloDlg::OnRadio)
ON_BN_CLICKED(IDC_BTN_3G, &CNewVanteloDlg::On3G)
ON_BN_CLICKED(IDC_BTN_WEBCAM, &CNewVanteloDlg::OnWebcam)
ON_BN_CLICKED(IDC_BTN_MUTE, &CNewVanteloDlg::OnMute)
ON_BN_CLICKED(IDC_BTN_VOLUME_DOWN, &CNewVanteloDlg::OnVolumeDown)
ON_BN_CLICKED(IDC_BTN_VOLUME_UP, &CNewVanteloDlg::OnVolumeUp)
ON_BN_CLICKED(IDC_BTN_BRIGHTNESS_DOWN, &CNewVanteloDlg::OnBrightnessDown)
ON_BN_CLICKED(IDC_BTN_BRIGHTNESS_UP, &CNewVanteloDlg::OnBrightnessUp)
ON_BN_CLICKED(IDC_BTN_CAPS_LOCK, &CNewVanteloDlg::OnCapsLock)
ON_BN_CLICKED(IDC_BTN_NUM_LOCK, &CNewVanteloDlg::OnNumLock)
ON_BN_CLICKED(IDC_BTN_SCROLL_LOCK, &CNewVanteloDlg::OnScrollLock)
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_REGISTERED_MESSAGE(g_nTrayNotifyMsg, &CNewVanteloDlg::OnTrayNotify)
ON_WM_DESTROY()
ON_WM_NCHITTEST()
ON_BN_CLICKED(IDC_BTN_HIDE, &CNewVanteloDlg::OnHideToTray)
ON_MESSAGE(WM_DISPLAYCHANGE, &CNewVanteloDlg::OnDisplayChange)
ON_COMMAND(ID_MENU_QUIT, &CNewVanteloDlg::OnQuit)
ON_BN_CLICKED(IDC_BTN_WHITE_BALANCE, &CNewVanteloDlg::OnWhiteBalance)
ON_BN_CLICKED(IDC_BTN_PANEL_DEFAULT, &CNewVanteloDlg::OnPanelSetDefault)
ON_BN_CLICKED(IDC_BTN_AUTO_ADJUST, &CNewVanteloDlg::OnAutoAdjust)
ON_WM_ERASEBKGND()
ON_WM_QUERYENDSESSION()
ON_BN_CLICKED(IDC_BTN_CRT_IN_DETECT, &CNewVanteloDlg::OnCrtInDetect)
ON_WM_POWERBROADCAST()
END_MESSAGE_MAP()

CNewVanteloDlg::CNewVanteloDlg() : CDialog(IDD_NEWVANTELO_DIALOG, nullptr) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

void CNewVanteloDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (int button = 1; button <= kFunctionButtons; ++button)
        DDX_Control(pDX, ButtonControl(button), m_btn[button]);
    DDX_Control(pDX, ButtonControl(kHideButton), m_btn[kHideButton]);
}

BOOL CNewVanteloDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutEntry();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    CheckInstalledVersion();
    RecordStart();

    SetWindowText(L"Vantelo II");
    m_bIdle = 0;

    if (!StartHardwareLibrary())
        return FailStart();
    BindHardwareEvents();

    ChooseSkin();
    ReadSupportBytes(this);
    ApplyCrtInDetectRule();
    CreateToolTips(g_bCrtInDetect ? kFunctionButtons : kFunctionButtons - 1);
    SyncInstallStatus();
    if (!ButtonCountAccepted()) {
        AfxMessageBox(L"Button count Error code 1 !", MB_OK);
        return FailStart();
    }

    SetRunningBit();

    if (!LoadBackgroundPieces())
        AfxMessageBox(L"Imag load error !", MB_OK);
    LoadButtonImages(*this);
    SizeAndPlaceBar(*this, SWP_SHOWWINDOW);
    LayOutButtons(*this);
    AddTrayIcon();
    LookUpUpdateLayeredWindow();

    g_nBarAlpha = 255;
    m_blend = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

    // Hidden until the modal loop shows the dialog at its first idle moment.
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
    SetTimer(kRepaintTimer, kRepaintPeriod, nullptr);
    SetTimer(kAutoHideTimer, kAutoHidePeriod, nullptr);
    return TRUE;
}

void CNewVanteloDlg::AddAboutEntry() {
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (!systemMenu)
        return;
    WCHAR text[128];
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) == 0)
        return;
    systemMenu->AppendMenu(MF_SEPARATOR);
    systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, text);
}

bool CNewVanteloDlg::StartHardwareLibrary() {
    switch (InitTamsilIO(&g_pTamsilWMI)) {
        case 0:
            return true;
        case 1:
            MessageBox(L"No Driver", L"Vantelo II", MB_OK);
            return false;
        case 2:
            MessageBox(L"Vantelo II application can not be installed on non Corvane product.", L"Vantelo II", MB_OK);
            return false;
        default:
            return false;
    }
}

// The destroyed window ends the modal loop and with it the program.
BOOL CNewVanteloDlg::FailStart() {
    DestroyWindow();
    return FALSE;
}

void CNewVanteloDlg::BindHardwareEvents() {
    g_pTamsilWMIEvent = new TamsilWMIEvent();
    g_pTamsilWMIEvent->Init(m_hWnd, kHotkeyEventMessage);
    g_pTamsilEC = new TamsilEC();
}

void CNewVanteloDlg::ApplyCrtInDetectRule() {
    if (g_bCrtInDetect)
        m_btn[kCrtInDetectButton].EnableWindow(g_pTamsilWMI->GetLong32(0x2500, 0) != 1);
}

// Every button that can exist and the hide button are tools, supported or not; the texts are
// set once, with the labels of this machine.
void CNewVanteloDlg::CreateToolTips(int toolCount) {
    EnableToolTips(TRUE);
    m_toolTip.Create(this, 0);
    m_toolTip.SendMessage(TTM_ACTIVATE, TRUE);
    m_toolTip.SendMessage(TTM_SETTIPBKCOLOR, RGB(255, 255, 255));
    m_toolTip.SendMessage(TTM_SETTIPTEXTCOLOR, RGB(0, 0, 0));
    for (int k = 1; k <= toolCount; ++k) {
        m_pToolWnd[k] = GetDlgItem(ButtonControl(k));
        m_toolTip.AddTool(m_pToolWnd[k], LPSTR_TEXTCALLBACKW, nullptr, 0);
    }
    m_pToolWnd[kHideButton] = GetDlgItem(ButtonControl(kHideButton));
    m_toolTip.AddTool(m_pToolWnd[kHideButton], LPSTR_TEXTCALLBACKW, nullptr, 0);
    if (!m_toolTip.m_hWnd)
        return;
    for (int k = 1; k < kCrtInDetectButton; ++k)
        m_toolTip.UpdateTipText(ButtonLabel(k), m_pToolWnd[k]);
    if (g_bCrtInDetect)
        m_toolTip.UpdateTipText(ButtonLabel(kCrtInDetectButton), m_pToolWnd[kCrtInDetectButton]);
    m_toolTip.UpdateTipText(ButtonLabel(kHideButton), m_pToolWnd[kHideButton]);
    m_toolTip.ShowWindow(SW_SHOW);
}

void CNewVanteloDlg::AddTrayIcon() {
    m_nid.cbSize = sizeof(m_nid);
    m_nid.hWnd = m_hWnd;
    m_nid.uID = IDR_MAINFRAME;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    m_nid.uCallbackMessage = g_nTrayNotifyMsg;
    m_nid.hIcon = m_hIcon;
    lstrcpynW(m_nid.szTip, L"Vantelo", ARRAYSIZE(m_nid.szTip));
    lstrcpynW(m_nid.szInfoTitle, L"Vantelo Information", ARRAYSIZE(m_nid.szInfoTitle));
    m_nid.dwInfoFlags = 5;  // not a named balloon icon; with no info text no balloon shows
    Shell_NotifyIconW(NIM_ADD, &m_nid);
}

void CNewVanteloDlg::LookUpUpdateLayeredWindow() {
    m_hUser32 = LoadLibraryW(L"User32.DLL");
    if (!m_hUser32) {
        AfxMessageBox(L"User32.dll ERROR!", MB_OK);
        // The window is left as it is: the process ends here.
        ExitProcess(0);
    }
    // Through the generic function type, which converts to any other without a warning.
    const auto entry = reinterpret_cast<void (*)()>(GetProcAddress(m_hUser32, "UpdateLayeredWindow"));
    m_pfnUpdateLayeredWindow = reinterpret_cast<decltype(m_pfnUpdateLayeredWindow)>(entry);
}

void CNewVanteloDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

HCURSOR CNewVanteloDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

// Every visible pixel of the bar is composed at paint time; nothing is erased.
BOOL CNewVanteloDlg::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CNewVanteloDlg::OnDestroy() {
    CDialog::OnDestroy();
    // Without the library (a failed start) there is no controller to tell.
    if (g_pTamsilEC)
        ClearRunningBit();
    Shell_NotifyIconW(NIM_DELETE, &m_nid);
}
