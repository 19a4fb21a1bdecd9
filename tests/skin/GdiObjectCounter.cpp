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

// The system's function of that name, for the counted one to pass the call on to.
template <typename Function>
Function Gdi(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), name)));
}

}  // namespace

GdiObjectCounter::GdiObjectCounter() {
    g_deviceContexts.Clear();
    g_dibSections.Clear();
    g_refuseDibSections = g_refuseDeviceContexts = false;
    g_createCompatibleDC = Gdi<decltype(&CreateCompatibleDC)>("CreateCompatibleDC");
    g_createDIBSection = Gdi<decltype(&CreateDIBSection)>("CreateDIBSection");
    g_deleteDC = Gdi<decltype(&DeleteDC)>("DeleteDC");
    g_deleteObject = Gdi<decltype(&DeleteObject)>("DeleteObject");
    redirects_[0].emplace("CreateCompatibleDC", reinterpret_cast<void*>(CountedCreateCompatibleDC));
    redirects_[1].emplace("CreateDIBSection", reinterpret_cast<void*>(CountedCreateDIBSection));
    redirects_[2].emplace("DeleteDC", reinterpret_cast<void*>(CountedDeleteDC));
    redirects_[3].emplace("DeleteObject", reinterpret_cast<void*>(CountedDeleteObject));
}

GdiObjectCounter::~GdiObjectCounter() {
    g_refuseDibSections = g_refuseDeviceContexts = false;
}

bool GdiObjectCounter::Installed() const {
    return testsupport::AllInstalled(redirects_);
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
