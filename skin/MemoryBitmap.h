// The bar's in-memory image: a top-down DIB section selected into a memory device context of
// its own, and the one blend rule by which images are composed.
#pragma once

#include <windows.h>

#include <cstdint>

// The largest block of pixels a memory bitmap takes: every row offset and position of the
// blend stays within signed 32-bit arithmetic.
constexpr int64_t kMaxBitmapPixelBytes = INT32_MAX;

// Pixels are B, G, R, A bytes (32 bits) or B, G, R (24 bits), rows top-down from `bits`,
// each row padded to a multiple of 4 bytes. Alpha is straight, not premultiplied.
// A new record is empty: every field zero. The record owns its device context and DIB
// section; it is never copied.
struct MemoryBitmap {
    MemoryBitmap() = default;
    ~MemoryBitmap();
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    // Releases what the record holds, then makes a w x h DIB section of 32 (24) bits. The pixels
    // are not initialised. When the bitmap cannot be made (a size below 1, more pixel bytes than
    // kMaxBitmapPixelBytes, no section, no device context) the record is left empty, so that a
    // caller testing the width sees the failure. Create24 leaves the draw offset alone.
    void Create32(int w, int h);
    void Create24(int w, int h);

    // Bytes from one row to the next: bpp * width / 8 brought up to a multiple of 4.
    int Stride() const { return ((bpp * width) / 8 + 3) & ~3; }

    int bpp = 0;
    HDC hdc = nullptr;
    HBITMAP hbm = nullptr;
    HGDIOBJ hbmOld = nullptr;  // the device context's initial bitmap, put back on release
    BYTE* bits = nullptr;      // top row; the memory belongs to the DIB section
    int width = 0;
    int height = 0;
    int dispWidth = 0;
    int dispHeight = 0;
    int offsetX = 0;  // added to the position whenever the record is a blend's source
    int offsetY = 0;

private:
    void Create(int w, int h, int bitsPerPixel);
    void Release();
};

// Blends `source` onto `destination` with its top-left corner at (x, y) plus the source's draw
// offset, clipped to the destination, weighted by the source's own alpha byte. Per byte, with
// a = (sA + 1) >> 1: ((s * a) >> 7) + ((d * (128 - a)) >> 7), the alpha byte included.
// Draws nothing unless both are 32-bit records with pixels that overlap and the destination
// has its device context.
void AlphaBlendBitmap(MemoryBitmap& destination, const MemoryBitmap& source, int x, int y);
