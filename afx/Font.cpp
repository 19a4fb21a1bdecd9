#include "afx/Font.h"

#include <utility>

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    // One font per object: a second one is refused before it is made, so none is lost.
    if (m_hObject != nullptr)
        return FALSE;
    m_hObject = ::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                              nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject() {
    HFONT hFont = std::exchange(m_hObject, nullptr);
    return hFont != nullptr && ::DeleteObject(hFont);
}
