// The function bar's application: one instance at a time, running the bar dialog modally
// as its main window; the program ends when the dialog does.
#pragma once

#include "afx/Afx.h"

class CNewVanteloApp : public CWinApp {
public:
    CNewVanteloApp() = default;
    ~CNewVanteloApp() override = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CNewVanteloApp theApp;
