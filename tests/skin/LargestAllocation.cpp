#include "LargestAllocation.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "GdiObjectCounter.h"

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

struct Watched {
    void* original;
    void* replacement;
};

const Watched kWatched[] = {{reinterpret_cast<void*>(g_malloc), reinterpret_cast<void*>(WatchedMalloc)},
                            {reinterpret_cast<void*>(g_calloc), reinterpret_cast<void*>(WatchedCalloc)},
                            {reinterpret_cast<void*>(g_realloc), reinterpret_cast<void*>(WatchedRealloc)}};

}  // namespace

LargestAllocation::LargestAllocation() {
    g_largest = 0;
    installed_ = true;
    for (const Watched& watched : kWatched)
        installed_ = RedirectImport("msvcrt.dll", watched.original, watched.replacement) && installed_;
}

LargestAllocation::~LargestAllocation() {
    for (const Watched& watched : kWatched)
        RedirectImport("msvcrt.dll", watched.replacement, watched.original);
}

size_t LargestAllocation::Bytes() const {
    return g_largest;
}

}  // namespace skintest
