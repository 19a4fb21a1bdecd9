#include "afx/DC.h"

#include <memory>

#include "afx/HandleMap.h"
#include "afx/Wnd.h"

namespace {

bool DeviceContextAlive(HDC hDC) {
    return ::GetObjectType(hDC) != 0;
}
void ReleaseDeviceContext(CDC& dc) {
    dc.m_hDC = nullptr;
}

}  // namespace

CDC* CDC::FromHandle(HDC hDC) {
    if (hDC == nullptr)
        return nullptr;
    thread_local afx::TemporaryMap<HDC, CDC, DeviceContextAlive, ReleaseDeviceContext> temporary;
    return temporary.Get(hDC, [](HDC h) {
        auto dc = std::make_unique<CDC>();
        dc->m_hDC = h;
        return dc;
    });
}

CDC* AfxDCFromHandle(HDC hdc) {
    return CDC::FromHandle(hdc);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
}
