#include "afx/Font.h"

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                                nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::Attach(HFONT hFont) {
    if (hFont == nullptr || m_hObject != nullptr)
        return FALSE;
    m_hObject = hFont;
    return TRUE;
}

HFONT CFont::Detach() {
    HFONT hFont = m_hObject;
    m_hObject = nullptr;
    return hFont;
}

BOOL CFont::DeleteObject() {
    HFONT hFont = Detach();
    return hFont != nullptr && ::DeleteObject(hFont);
}
