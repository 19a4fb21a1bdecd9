// CDC: a device context wrapper; CPaintDC: one paint cycle of a window; CClientDC: a
// window's own device context, held for the object's life.
#pragma once

#include <windows.h>

class CWnd;

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }

    // A wrapper that owns nothing, kept per thread until its handle is gone.
    static CDC* FromHandle(HDC hDC);

    HFONT SelectObject(HFONT hFont) { return static_cast<HFONT>(::SelectObject(m_hDC, hFont)); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    BOOL TextOut(int x, int y, LPCWSTR lpszString, int nCount) { return ::TextOutW(m_hDC, x, y, lpszString, nCount); }
};

// BeginPaint on construction, EndPaint on destruction: the update region is validated
// when the object goes, drawn into or not.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// GetDC of the window on construction, ReleaseDC on destruction.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
