#include "GdiObjectCounter.h"

#include <windows.h>

namespace skintest {

namespace {

// The handles alive, in a fixed table: the counter must not use the heap that the tests count.
class HandleSet {
public:
    void Add(HGDIOBJ handle) {
        if (count_ < kCapacity)
            handles_[count_++] = handle;
        else
            overflowed_ = true;
    }
    void Remove(HGDIOBJ handle) {
        for (int i = 0; i < count_; ++i)
            if (handles_[i] == handle) {
                handles_[i] = handles_[--count_];
                return;
            }
    }
    void Clear() { count_ = 0, overflowed_ = false; }
    int Count() const { return overflowed_ ? -1 : count_; }

private:
    static constexpr int kCapacity = 256;
    HGDIOBJ handles_[kCapacity] = {};
    int count_ = 0;
    bool overflowed_ = false;
};

HandleSet g_deviceContexts;
HandleSet g_dibSections;

decltype(&CreateCompatibleDC) g_createCompatibleDC;
decltype(&CreateDIBSection) g_createDIBSection;
decltype(&DeleteDC) g_deleteDC;
decltype(&DeleteObject) g_deleteObject;
bool g_refuseDibSections;
bool g_refuseDeviceContexts;

HDC WINAPI CountedCreateCompatibleDC(HDC dc) {
    if (g_refuseDeviceContexts)
        return nullptr;
    HDC created = g_createCompatibleDC(dc);
    if (created)
        g_deviceContexts.Add(created);
    return created;
}

HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                       DWORD offset) {
    if (g_refuseDibSections)
        return nullptr;
    HBITMAP created = g_createDIBSection(dc, info, usage, bits, section, offset);
    if (created)
        g_dibSections.Add(created);
    return created;
}

BOOL WINAPI CountedDeleteDC(HDC dc) {
    const BOOL deleted = g_deleteDC(dc);
    if (deleted)
        g_deviceContexts.Remove(dc);
    return deleted;
}

BOOL WINAPI CountedDeleteObject(HGDIOBJ object) {
    const BOOL deleted = g_deleteObject(object);
    if (deleted)
        g_dibSections.Remove(object);
    return deleted;
}

template <typename Function>
bool Redirect(const char* name, Function* real, Function counted) {
    *real = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), name)));
    return *real && RedirectImport("gdi32.dll", reinterpret_cast<void*>(*real), reinterpret_cast<void*>(counted));
}

template <typename Function>
void Restore(Function real, Function counted) {
    RedirectImport("gdi32.dll", reinterpret_cast<void*>(counted), reinterpret_cast<void*>(real));
}

}  // namespace

bool RedirectImport(const char* module, void* original, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + entry->Name), module) != 0)
            continue;
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk); slot->u1.Function; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != original)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

GdiObjectCounter::GdiObjectCounter() {
    g_deviceContexts.Clear();
    g_dibSections.Clear();
    g_refuseDibSections = g_refuseDeviceContexts = false;
    installed_ = Redirect("CreateCompatibleDC", &g_createCompatibleDC, CountedCreateCompatibleDC) &&
                 Redirect("CreateDIBSection", &g_createDIBSection, CountedCreateDIBSection) &&
                 Redirect("DeleteDC", &g_deleteDC, CountedDeleteDC) &&
                 Redirect("DeleteObject", &g_deleteObject, CountedDeleteObject);
}

GdiObjectCounter::~GdiObjectCounter() {
    g_refuseDibSections = g_refuseDeviceContexts = false;
    Restore(g_createCompatibleDC, CountedCreateCompatibleDC);
    Restore(g_createDIBSection, CountedCreateDIBSection);
    Restore(g_deleteDC, CountedDeleteDC);
    Restore(g_deleteObject, CountedDeleteObject);
}

int GdiObjectCounter::LiveDeviceContexts() const {
    return g_deviceContexts.Count();
}

int GdiObjectCounter::LiveDibSections() const {
    return g_dibSections.Count();
}

void GdiObjectCounter::RefuseDibSections(bool refuse) {
    g_refuseDibSections = refuse;
}

void GdiObjectCounter::RefuseDeviceContexts(bool refuse) {
    g_refuseDeviceContexts = refuse;
}

}  // namespace skintest
