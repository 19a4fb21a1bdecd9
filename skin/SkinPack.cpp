#include "skin/SkinPack.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "skin/SkinBytes.h"

unsigned char* g_pSkinPack = nullptr;
size_t g_nSkinPackSize = 0;

namespace {

// The comparison of _stricmp in the default locale; the record's name ends at its NUL or at
// the end of its field.
bool NameMatches(const char (&field)[kSkinNameSize], const char* wanted) {
    for (int i = 0; i < kSkinNameSize; ++i) {
        const unsigned char a = FoldAsciiCase(static_cast<unsigned char>(field[i]));
        const unsigned char b = FoldAsciiCase(static_cast<unsigned char>(wanted[i]));
        if (a != b)
            return false;
        if (a == '\0')
            return true;
    }
    return wanted[kSkinNameSize] == '\0';
}

// The number of directory records that the package can hold, or 0 when it holds none.
size_t DirectoryCount(const unsigned char* package, size_t packageSize) {
    if (packageSize < kSkinPackCountSize)
        return 0;
    const int32_t count = static_cast<int32_t>(ReadLittleEndian32(package));
    if (count <= 0)
        return 0;
    // Divided, not multiplied: 40 * N would wrap for a large N.
    if (static_cast<size_t>(count) > (packageSize - kSkinPackCountSize) / kSkinPackRecordSize)
        return 0;
    return static_cast<size_t>(count);
}

// The file's size, found by seeking to its end; the file is left at its start.
bool MeasureFile(FILE* file, size_t* size) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        return false;
    *size = static_cast<size_t>(end);
    return true;
}

}  // namespace

int LoadSkinPack(const wchar_t* path) {
    // Released before the new file is opened: a load that fails leaves no package at all.
    ReleaseSkinPack();

    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0;
    size_t size = 0;
    unsigned char* buffer = nullptr;
    // One byte at least, so that an empty file still counts as a loaded (empty) package.
    if (MeasureFile(file, &size))
        buffer = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (!buffer) {
        std::fclose(file);
        return 0;
    }
    g_nSkinPackSize = std::fread(buffer, 1, size, file);
    g_pSkinPack = buffer;
    std::fclose(file);
    return 1;
}

void ReleaseSkinPack() {
    std::free(g_pSkinPack);
    g_pSkinPack = nullptr;
    g_nSkinPackSize = 0;
}

SkinPackStream* SkinPackOpen(const unsigned char* package, size_t packageSize, const char* name) {
    if (!package || !name)
        return nullptr;
    const size_t count = DirectoryCount(package, packageSize);
    if (count == 0)
        return nullptr;
    const size_t dataStart = kSkinPackCountSize + count * kSkinPackRecordSize;
    const size_t dataSize = packageSize - dataStart;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* record = package + kSkinPackCountSize + i * kSkinPackRecordSize;
        SkinPackEntry entry;
        std::memcpy(entry.name, record, sizeof(entry.name));
        if (!NameMatches(entry.name, name))
            continue;
        // The first match decides. offset + size may wrap in 32 bits: compare the size against
        // what is left after the offset instead.
        const uint32_t offset = ReadLittleEndian32(record + offsetof(SkinPackEntry, offset));
        const uint32_t size = ReadLittleEndian32(record + offsetof(SkinPackEntry, size));
        if (offset > dataSize || size > dataSize - offset || size > INT32_MAX)
            return nullptr;
        auto* stream = static_cast<SkinPackStream*>(std::malloc(sizeof(SkinPackStream)));
        if (!stream)
            return nullptr;
        stream->start = package + dataStart + offset;
        stream->end = stream->start + size;
        stream->cursor = stream->start;
        stream->size = static_cast<int32_t>(size);
        return stream;
    }
    return nullptr;
}

size_t SkinPackRead(void* destination, size_t elementSize, size_t count, SkinPackStream* stream) {
    if (count == 0 || !destination || elementSize == 0 || !stream || stream->cursor >= stream->end)
        return 0;
    // Whole elements only, counted by division so that elementSize * count cannot wrap; a
    // trailing part of an element stays unread.
    const size_t whole = static_cast<size_t>(stream->end - stream->cursor) / elementSize;
    const size_t elements = whole < count ? whole : count;
    const size_t bytes = elements * elementSize;
    std::memcpy(destination, stream->cursor, bytes);
    stream->cursor += bytes;
    return elements;
}
