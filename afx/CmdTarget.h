// Message maps: a static table per class, chained to the table of its base class and
// searched from the most derived class up. The entries are written with the macros of
// afx/MessageMap.h.
#pragma once

#include <windows.h>

#include "afx/Object.h"

class CCmdTarget;

namespace afx {

enum class EntryKind : unsigned char {
    End,         // terminates a table
    Message,     // a window message with a fixed number
    Registered,  // a registered message; its number is read from a variable at dispatch time
    Command,     // WM_COMMAND with a control id and a notification code
};

// Casts the target to the class that owns the entry, cracks WPARAM and LPARAM into the
// handler's arguments and packs its result.
using Invoker = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

// Pointer to a member function of T with signature F, e.g. MemberFn<CWnd, void(UINT_PTR)>.
template <class T, class F>
using MemberFn = F T::*;

}  // namespace afx

struct AFX_MSGMAP_ENTRY {
    afx::EntryKind kind;
    UINT message;            // Message: the message; Command: WM_COMMAND
    UINT code;               // Command: notification code
    UINT id;                 // Command: control or command id
    const UINT* registered;  // Registered: the variable that holds the message number
    afx::Invoker invoke;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root table
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
public:
    static const CRuntimeClass classCCmdTarget;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCCmdTarget; }

    // Runs the handler of command `id` with notification `code`, if the map has one.
    virtual bool OnCmdMsg(UINT id, UINT code);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // First entry for the message, searched from the most derived table up.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;
    const AFX_MSGMAP_ENTRY* FindCommandEntry(UINT id, UINT code) const;
};
