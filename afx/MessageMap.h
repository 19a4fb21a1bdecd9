// The macros that write message maps. In the class:
//
//     DECLARE_MESSAGE_MAP()
//
// and in its source file:
//
//     BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//         ON_WM_PAINT()
//         ON_MESSAGE(WM_USER + 12, &CMyDialog::OnHotkeyEvent)
//         ON_BN_CLICKED(1000, &CMyDialog::OnBluetooth)
//     END_MESSAGE_MAP()
//
// Each entry holds a captureless lambda that casts the object to the class of the map
// and cracks WPARAM and LPARAM. The handler is first bound to a member-function pointer
// of the exact signature, so a handler with another signature does not compile.
#pragma once

#include "afx/CmdTarget.h"
#include "afx/Types.h"

class CDC;

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;    \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { ::afx::EntryKind::End, 0, 0, 0, nullptr, nullptr }                       \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

// One entry: `Signature` is the handler's function type, `call` the cracked call of
// `handler` on `self` as an LRESULT expression.
#define AFX_MSGMAP_ENTRY_OF(kind, message, code, id, registered, Signature, memberFxn, call)                \
    {kind, message, code, id, registered, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         const ::afx::MemberFn<ThisClass, Signature> handler = memberFxn;                                   \
         ThisClass* self = static_cast<ThisClass*>(target);                                                 \
         (void)wParam;                                                                                      \
         (void)lParam;                                                                                      \
         return call;                                                                                       \
     }},

#define AFX_WM_ENTRY(message, Signature, memberFxn, call) \
    AFX_MSGMAP_ENTRY_OF(::afx::EntryKind::Message, message, 0, 0, nullptr, Signature, memberFxn, call)

namespace afx::sig {
using Void = void();
using Timer = void(UINT_PTR);
using SysCommand = void(UINT, LPARAM);
using Mouse = void(UINT, CPoint);
using HitTest = LRESULT(CPoint);
using EraseBkgnd = BOOL(CDC*);
using QueryDragIcon = HCURSOR();
using QueryEndSession = BOOL();
using PowerBroadcast = UINT(UINT, LPARAM);
using DrawItem = void(int, LPDRAWITEMSTRUCT);
using Message = LRESULT(WPARAM, LPARAM);
}  // namespace afx::sig

CDC* AfxDCFromHandle(HDC hdc);  // the temporary CDC of a handle (afx/DC.h)

// Window messages, each bound to the handler of the fixed name and signature.
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, ::afx::sig::Void, &ThisClass::OnPaint, ((self->*handler)(), LRESULT{0}))
#define ON_WM_DESTROY() \
    AFX_WM_ENTRY(WM_DESTROY, ::afx::sig::Void, &ThisClass::OnDestroy, ((self->*handler)(), LRESULT{0}))
#define ON_WM_TIMER()                                              \
    AFX_WM_ENTRY(WM_TIMER, ::afx::sig::Timer, &ThisClass::OnTimer, \
                 ((self->*handler)(static_cast<UINT_PTR>(wParam)), LRESULT{0}))
#define ON_WM_SYSCOMMAND()                                                        \
    AFX_WM_ENTRY(WM_SYSCOMMAND, ::afx::sig::SysCommand, &ThisClass::OnSysCommand, \
                 ((self->*handler)(static_cast<UINT>(wParam), lParam), LRESULT{0}))
#define ON_WM_LBUTTONDOWN()                                                    \
    AFX_WM_ENTRY(WM_LBUTTONDOWN, ::afx::sig::Mouse, &ThisClass::OnLButtonDown, \
                 ((self->*handler)(static_cast<UINT>(wParam), CPoint(lParam)), LRESULT{0}))
#define ON_WM_MOUSEMOVE()                                                  \
    AFX_WM_ENTRY(WM_MOUSEMOVE, ::afx::sig::Mouse, &ThisClass::OnMouseMove, \
                 ((self->*handler)(static_cast<UINT>(wParam), CPoint(lParam)), LRESULT{0}))
#define ON_WM_NCHITTEST() \
    AFX_WM_ENTRY(WM_NCHITTEST, ::afx::sig::HitTest, &ThisClass::OnNcHitTest, (self->*handler)(CPoint(lParam)))
#define ON_WM_ERASEBKGND()                                                        \
    AFX_WM_ENTRY(WM_ERASEBKGND, ::afx::sig::EraseBkgnd, &ThisClass::OnEraseBkgnd, \
                 static_cast<LRESULT>((self->*handler)(AfxDCFromHandle(reinterpret_cast<HDC>(wParam)))))
#define ON_WM_QUERYDRAGICON()                                                              \
    AFX_WM_ENTRY(WM_QUERYDRAGICON, ::afx::sig::QueryDragIcon, &ThisClass::OnQueryDragIcon, \
                 reinterpret_cast<LRESULT>((self->*handler)()))
#define ON_WM_QUERYENDSESSION()                                                                  \
    AFX_WM_ENTRY(WM_QUERYENDSESSION, ::afx::sig::QueryEndSession, &ThisClass::OnQueryEndSession, \
                 static_cast<LRESULT>((self->*handler)()))
#define ON_WM_POWERBROADCAST()                                                                \
    AFX_WM_ENTRY(WM_POWERBROADCAST, ::afx::sig::PowerBroadcast, &ThisClass::OnPowerBroadcast, \
                 static_cast<LRESULT>((self->*handler)(static_cast<UINT>(wParam), lParam)))
#define ON_WM_DRAWITEM()                                           \
    AFX_WM_ENTRY(                                                  \
        WM_DRAWITEM, ::afx::sig::DrawItem, &ThisClass::OnDrawItem, \
        ((self->*handler)(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)), LRESULT{TRUE}))

// Any message with (WPARAM, LPARAM) in and LRESULT out; a registered message takes the
// variable that holds its number, which is read at each dispatch.
#define ON_MESSAGE(message, memberFxn) \
    AFX_WM_ENTRY(message, ::afx::sig::Message, memberFxn, (self->*handler)(wParam, lParam))
#define ON_REGISTERED_MESSAGE(messageVariable, memberFxn)                                                          \
    AFX_MSGMAP_ENTRY_OF(::afx::EntryKind::Registered, 0, 0, 0, &(messageVariable), ::afx::sig::Message, memberFxn, \
                        (self->*handler)(wParam, lParam))

// Commands: WM_COMMAND with the id and notification code 0 (menus, accelerators, BN_CLICKED).
#define AFX_COMMAND_ENTRY(code, id, memberFxn)                                                                 \
    AFX_MSGMAP_ENTRY_OF(::afx::EntryKind::Command, WM_COMMAND, code, id, nullptr, ::afx::sig::Void, memberFxn, \
                        ((self->*handler)(), LRESULT{0}))
#define ON_COMMAND(id, memberFxn) AFX_COMMAND_ENTRY(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) AFX_COMMAND_ENTRY(BN_CLICKED, id, memberFxn)
