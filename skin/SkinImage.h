// Pictures of the current skin package decoded into memory bitmaps: PNG through libpng into
// 32-bit straight-alpha pixels, and uncompressed 24- or 32-bit BMP.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>

#include "skin/MemoryBitmap.h"

// The largest width or height of a skin picture. A bar cell larger than any screen is no skin,
// so a picture that declares more is refused as damaged, before any pixel memory is taken.
constexpr int kMaxSkinImageSide = 4096;
static_assert(int64_t{kMaxSkinImageSide} * kMaxSkinImageSide * 4 <= kMaxBitmapPixelBytes,
              "every picture within the bound fits a 32-bit memory bitmap");

// Loads the entry named by what follows the path's last backslash into `bitmap`; the format
// follows from the path's last three characters, "bmp" or "png" in any case. Returns 1 when the
// picture was loaded, 0 otherwise. A failure before the bitmap is made leaves it as it was; a
// bitmap that cannot be made is left empty.
int LoadSkinBitmap(const wchar_t* path, MemoryBitmap& bitmap);
int LoadSkinBmp(const wchar_t* path, MemoryBitmap& bitmap);
int LoadSkinPng(const wchar_t* path, MemoryBitmap& bitmap);

// The results of DecodeSkinPng while LoadSkinPng converts them; owns `pixels`.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    unsigned char* pixels = nullptr;

    DecodedImage() = default;
    ~DecodedImage();
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;
};

// Frees the record's pixels, if any, and leaves it without.
void FreeDecodedPixels(DecodedImage& image);

// Decodes the PNG entry `name` of the package into one malloc'ed block (free it with free) of
// height rows of 4 * width bytes R, G, B, A, top row first, and reports 32 bits per pixel.
// Returns null on any failure and then leaves the outputs alone; a picture wider or higher
// than kMaxSkinImageSide is such a failure.
unsigned char* DecodeSkinPng(const unsigned char* package, size_t packageSize, const char* name, int* width,
                             int* height, int* bitsPerPixel);

// libpng's read function: fills the request from the SkinPackStream that is libpng's io
// pointer, and raises a libpng error when the entry ends before the request is met.
void SkinPackPngRead(png_structp png, png_bytep data, size_t length);
