#include "ImportRedirect.h"

#include <cstring>

namespace testsupport {

namespace {

// The import address slot of `function`, found by the name in the import lookup table.
ULONG_PTR* FindImportSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
         ++module) {
        if (!module->OriginalFirstThunk)
            continue;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return &slot->u1.Function;
        }
    }
    return nullptr;
}

void WriteSlot(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

}  // namespace

ImportRedirect::ImportRedirect(const char* function, void* replacement) : slot_(FindImportSlot(function)) {
    if (!slot_)
        return;
    original_ = *slot_;
    WriteSlot(slot_, reinterpret_cast<ULONG_PTR>(replacement));
}

ImportRedirect::~ImportRedirect() {
    if (slot_)
        WriteSlot(slot_, original_);
}

}  // namespace testsupport
