#include "bar/LCDMS.h"

#include "bar/Hardware.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kClosePeriod = 5000;

}  // namespace

const CRuntimeClass LCDMS::classLCDMS{"LCDMS", 0xFFFF, nullptr, &CDialog::classCDialog};

BEGIN_MESSAGE_MAP(LCDMS, CDialog)
ON_WM_TIMER()
ON_WM_PAINT()
END_MESSAGE_MAP()

LCDMS::LCDMS() : CDialog(IDD_CABLE_PROMPT, nullptr) {
    m_font.CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, FF_ROMAN | DEFAULT_PITCH, L"Arial");
}

void LCDMS::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_PROMPT_HIDDEN, m_stcHidden);
    DDX_Control(pDX, IDC_PROMPT_TEXT, m_stcMessage);
}

BOOL LCDMS::OnInitDialog() {
    CDialog::OnInitDialog();
    CWnd* text = GetDlgItem(IDC_PROMPT_TEXT);
    text->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), TRUE);
    const unsigned cable = ReadCableRegister();
    text->SetWindowText((cable & 1) != 0 ? L"           Please pull out monitor cable"
                                         : L"Please plug in monitor cable after 3 seconds");
    SetTimer(kCloseTimer, kClosePeriod, nullptr);
    return TRUE;
}

void LCDMS::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kCloseTimer) {
        KillTimer(kCloseTimer);
        OnOK();
    }
    Default();
}

// The statics and the dialog's background paint themselves.
void LCDMS::OnPaint() {
    CPaintDC paint(this);
}
