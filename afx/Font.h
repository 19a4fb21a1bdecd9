// CFont: owns a font handle and deletes it with itself.
#pragma once

#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT m_hObject = nullptr;
    operator HFONT() const { return m_hObject; }
    HFONT GetSafeHandle() const { return m_hObject; }

    // CreateFontW with these arguments; the font is this object's from then on. FALSE when
    // this object holds one already.
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename);
    BOOL DeleteObject();
};
