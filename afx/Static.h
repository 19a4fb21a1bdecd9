// CStatic: a static text control of a dialog.
#pragma once

#include "afx/Wnd.h"

class CStatic : public CWnd {
public:
    static const CRuntimeClass classCStatic;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCStatic; }
};
