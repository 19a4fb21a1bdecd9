#include "LargestAllocation.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace skintest {

namespace {

template <typename Function>
Function RuntimeFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), name)));
}

// The runtime's own functions, called by address: a call by name would come back here.
const auto g_malloc = RuntimeFunction<void*(__cdecl*)(size_t)>("malloc");
const auto g_calloc = RuntimeFunction<void*(__cdecl*)(size_t, size_t)>("calloc");
const auto g_realloc = RuntimeFunction<void*(__cdecl*)(void*, size_t)>("realloc");
size_t g_largest;

void Note(size_t bytes) {
    if (bytes > g_largest)
        g_largest = bytes;
}

void* __cdecl WatchedMalloc(size_t bytes) {
    Note(bytes);
    return g_malloc(bytes);
}

void* __cdecl WatchedCalloc(size_t count, size_t size) {
    Note(size && count > SIZE_MAX / size ? SIZE_MAX : count * size);
    return g_calloc(count, size);
}

void* __cdecl WatchedRealloc(void* block, size_t bytes) {
    Note(bytes);
    return g_realloc(block, bytes);
}

}  // namespace

LargestAllocation::LargestAllocation() {
    g_largest = 0;
    redirects_[0].emplace("malloc", reinterpret_cast<void*>(WatchedMalloc));
    redirects_[1].emplace("calloc", reinterpret_cast<void*>(WatchedCalloc));
    redirects_[2].emplace("realloc", reinterpret_cast<void*>(WatchedRealloc));
}

LargestAllocation::~LargestAllocation() = default;

bool LargestAllocation::Installed() const {
    return testsupport::AllInstalled(redirects_);
}

size_t LargestAllocation::Bytes() const {
    return g_largest;
}

}  // namespace skintest
