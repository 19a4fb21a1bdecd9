#include "afx/CmdTarget.h"

const CRuntimeClass CCmdTarget::classCCmdTarget{"CCmdTarget", 0xFFFF, nullptr, &CObject::classCObject};

namespace {

template <class Match>
const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, Match match) {
    for (; map != nullptr; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->kind != afx::EntryKind::End; ++entry) {
            if (match(*entry))
                return entry;
        }
    }
    return nullptr;
}

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{afx::EntryKind::End, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message) const {
    return FindEntry(GetMessageMap(), [message](const AFX_MSGMAP_ENTRY& entry) {
        switch (entry.kind) {
            case afx::EntryKind::Message:
                return entry.message == message;
            case afx::EntryKind::Registered:
                // A variable still 0 (not registered yet) must not catch WM_NULL.
                return *entry.registered != 0 && *entry.registered == message;
            default:
                return false;
        }
    });
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindCommandEntry(UINT id, UINT code) const {
    return FindEntry(GetMessageMap(), [id, code](const AFX_MSGMAP_ENTRY& entry) {
        return entry.kind == afx::EntryKind::Command && entry.id == id && entry.code == code;
    });
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const AFX_MSGMAP_ENTRY* entry = FindCommandEntry(id, code);
    if (entry == nullptr)
        return false;
    entry->invoke(this, MAKEWPARAM(id, code), 0);
    return true;
}
