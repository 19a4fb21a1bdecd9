// CButton: a push-button control. An owner-drawn button draws itself in DrawItem, which
// the parent's WM_DRAWITEM reaches by reflection.
#pragma once

#include "afx/Wnd.h"

class CButton : public CWnd {
public:
    static const CRuntimeClass classCButton;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCButton; }

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
