// The cable prompt: a small topmost box that tells the user what to do with the monitor
// cable before the bar switches the display, chosen by the cable bit of register 0x79B. It
// closes itself five seconds after it opens.
#pragma once

#include "afx/Afx.h"

class LCDMS : public CDialog {
public:
    static const CRuntimeClass classLCDMS;
    const CRuntimeClass* GetRuntimeClass() const override { return &classLCDMS; }

    // Creates the prompt's font; the dialog itself opens in DoModal.
    LCDMS();
    ~LCDMS() override = default;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    CStatic m_stcHidden;   // never shown
    CStatic m_stcMessage;  // the prompt text, in m_font
    CFont m_font;
};
