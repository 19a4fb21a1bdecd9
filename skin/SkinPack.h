// Skin packages: one .SKN file held whole in memory as the current package, its directory
// looked up by bare entry name, and a small stream over one entry.
//
// File layout (little-endian): a signed 32-bit entry count N, N SkinPackEntry records, then
// the data area. An entry's offset counts from the start of the data area (byte 4 + 40 * N).
// Packages come from the image folder, where anyone can put a file: every count, offset and
// size is checked against the buffer before it is used.
#pragma once

#include <cstddef>
#include <cstdint>

// Width of an entry name field: at most 31 bytes and a NUL.
constexpr int kSkinNameSize = 32;
// The entry count that opens the file.
constexpr size_t kSkinPackCountSize = 4;

struct SkinPackEntry {
    char name[kSkinNameSize];  // ANSI, NUL-ended inside the field; bytes after the NUL are ignored
    uint32_t offset;           // from the start of the data area
    uint32_t size;
};
static_assert(sizeof(SkinPackEntry) == 40, "directory records are 40 bytes on disk");
constexpr size_t kSkinPackRecordSize = sizeof(SkinPackEntry);

// One entry opened for reading. It points into the package buffer, so it is freed (with
// free) before that package is released or replaced.
struct SkinPackStream {
    const unsigned char* start;
    const unsigned char* end;  // start + size
    const unsigned char* cursor;
    int32_t size;
};

// The current package: the whole file in one heap block, or null when none is loaded.
// Only LoadSkinPack and ReleaseSkinPack change them.
extern unsigned char* g_pSkinPack;
extern size_t g_nSkinPackSize;

// Releases the current package, then makes the file the current package. Returns 1 when the
// file was opened and read, 0 otherwise (and then no package is loaded).
int LoadSkinPack(const wchar_t* path);

// Frees the current package; nothing happens when there is none.
void ReleaseSkinPack();

// A new stream (free it with free) over the first entry whose name equals `name` regardless
// of the case of A-Z, or null: no package, no such entry, or an entry that does not lie wholly
// inside the package.
SkinPackStream* SkinPackOpen(const unsigned char* package, size_t packageSize, const char* name);

// fread over the stream: copies whole elements only and returns how many, 0 to count.
size_t SkinPackRead(void* destination, size_t elementSize, size_t count, SkinPackStream* stream);
