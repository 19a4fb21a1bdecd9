#include "skin/SkinImage.h"

#include <windows.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "skin/SkinBytes.h"
#include "skin/SkinPack.h"

namespace {

struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};
using StreamPtr = std::unique_ptr<SkinPackStream, FreeBlock>;
using BlockPtr = std::unique_ptr<unsigned char, FreeBlock>;

// Whether the path's last three characters are `suffix` (lower case) in any case. No dot is
// needed before them.
bool EndsWith(const wchar_t* path, int length, const wchar_t (&suffix)[4]) {
    for (int i = 0; i < 3; ++i)
        if (FoldAsciiCase(path[length - 3 + i]) != suffix[i])
            return false;
    return true;
}

// The package entry of a path: what follows its last backslash, in the ANSI code page, at most
// 31 bytes and a NUL like a directory name. A forward slash is an ordinary character.
bool EntryName(const wchar_t* path, char (&name)[kSkinNameSize]) {
    const wchar_t* backslash = std::wcsrchr(path, L'\\');
    const wchar_t* bare = backslash ? backslash + 1 : path;
    return WideCharToMultiByte(CP_ACP, 0, bare, -1, name, kSkinNameSize, nullptr, nullptr) != 0;
}

int32_t ReadInt32(const unsigned char* bytes) {
    return static_cast<int32_t>(ReadLittleEndian32(bytes));
}

// Where the pixel rows of a BMP file lie, and how many bits a pixel has.
struct BmpLayout {
    int bitsPerPixel;
    int width;
    int rows;
    bool topDown;
    size_t firstRow;  // bfOffBits
    size_t stride;
};

// Reads the few header fields the loader relies on and checks that every row lies inside the
// file. Only uncompressed 24- and 32-bit files pass: the value at byte 28 spans biBitCount and
// the low half of biCompression, so it is 24 or 32 for BI_RGB alone.
bool ReadBmpLayout(const unsigned char* file, size_t size, BmpLayout* layout) {
    constexpr size_t kFieldsEnd = 32;
    if (size < kFieldsEnd)
        return false;
    const int32_t firstRow = ReadInt32(file + 10);
    const int32_t width = ReadInt32(file + 18);
    const int32_t height = ReadInt32(file + 22);
    const int32_t depth = ReadInt32(file + 28);
    if ((depth != 24 && depth != 32) || width < 1 || height == 0 || height == INT32_MIN || firstRow < 0)
        return false;
    // A negative height marks rows stored top-down: they are taken in stored order.
    const uint64_t rows = height < 0 ? static_cast<uint64_t>(-height) : static_cast<uint64_t>(height);
    if (width > kMaxSkinImageSide || rows > kMaxSkinImageSide)
        return false;
    const uint64_t stride =
        depth == 24 ? (3 * static_cast<uint64_t>(width) + 3) & ~uint64_t{3} : 4 * static_cast<uint64_t>(width);
    // Divided, not multiplied, so that no product can wrap.
    if (static_cast<uint64_t>(firstRow) > size)
        return false;
    const uint64_t available = size - static_cast<uint64_t>(firstRow);
    if (stride > available || rows > available / stride)
        return false;
    *layout = {
        depth, width, static_cast<int>(rows), height < 0, static_cast<size_t>(firstRow), static_cast<size_t>(stride)};
    return true;
}

int CopyBmpRows(const unsigned char* file, size_t size, MemoryBitmap& bitmap) {
    BmpLayout layout;
    if (!ReadBmpLayout(file, size, &layout))
        return 0;
    if (layout.bitsPerPixel == 24)
        bitmap.Create24(layout.width, layout.rows);
    else
        bitmap.Create32(layout.width, layout.rows);
    bitmap.offsetX = bitmap.offsetY = 0;
    if (!bitmap.bits)
        return 0;
    // The bitmap's rows follow the same padding rule as the file's, so each row is one copy.
    for (int r = 0; r < layout.rows; ++r) {
        const size_t stored = layout.topDown ? r : layout.rows - 1 - r;  // bottom-up rows are flipped
        std::memcpy(bitmap.bits + r * layout.stride, file + layout.firstRow + stored * layout.stride, layout.stride);
    }
    return 1;
}

// Brings every PNG kind to 8-bit R, G, B, A rows. Palette, grey below 8 bits and tRNS are
// expanded and a filler 255 follows colour bytes without alpha. Kinds those do not cover are
// transformed too rather than refused, so any valid PNG loads: 16-bit samples are scaled to 8
// bits, grey (with or without alpha) is widened to RGB, and interlaced images are read pass
// by pass (the returned number of passes).
int SetRgbaTransforms(png_structp png, png_infop info) {
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (colorType == PNG_COLOR_TYPE_PALETTE || (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) ||
        png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_expand(png);
    png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    return png_set_interlace_handling(png);
}

// What libpng may take for chunks the bar does not draw from (text, profiles, unknown kinds):
// a palette needs 768 bytes, and no skin needs more than a few such chunks.
constexpr png_alloc_size_t kMaxAncillaryChunkBytes = 1 << 20;
constexpr png_uint_32 kMaxAncillaryChunks = 32;

// libpng's own handlers print to standard error. A damaged picture is refused by its load's
// result alone, so errors only jump back to the decode's return point and warnings are
// dropped.
[[noreturn]] void RefuseQuietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The part of the decode that a libpng error can leave by a long jump. `png`, `info` and
// `stream` do not change after the return point is set; the pixel block does and is volatile.
unsigned char* DecodeRows(png_structp png, png_infop info, SkinPackStream* stream, int* width, int* height,
                          int* bitsPerPixel) {
    unsigned char* volatile pixels = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(stream);
        std::free(pixels);
        return nullptr;
    }
    png_set_read_fn(png, stream, SkinPackPngRead);
    png_set_sig_bytes(png, 4);
    // A header beyond the bound is an error of libpng's own, raised before any row is read.
    png_set_user_limits(png, kMaxSkinImageSide, kMaxSkinImageSide);
    png_set_chunk_cache_max(png, kMaxAncillaryChunks);
    png_set_chunk_malloc_max(png, kMaxAncillaryChunkBytes);
    png_read_info(png, info);
    const int passes = SetRgbaTransforms(png, info);
    png_read_update_info(png, info);

    const png_uint_32 imageWidth = png_get_image_width(png, info);
    const png_uint_32 imageHeight = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    // Nothing but 4 bytes a pixel may reach the caller.
    if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8 ||
        rowBytes != 4 * static_cast<uint64_t>(imageWidth))
        png_error(png, "skin image does not decode to RGBA");
    pixels = static_cast<unsigned char*>(std::malloc(rowBytes * imageHeight));
    if (!pixels)
        png_error(png, "out of memory for the skin image");
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < imageHeight; ++y)
            png_read_row(png, pixels + y * rowBytes, nullptr);
    png_read_end(png, info);

    png_destroy_read_struct(&png, &info, nullptr);
    std::free(stream);
    *width = static_cast<int>(imageWidth);
    *height = static_cast<int>(imageHeight);
    *bitsPerPixel = 32;
    return pixels;
}

}  // namespace

DecodedImage::~DecodedImage() {
    FreeDecodedPixels(*this);
}

void FreeDecodedPixels(DecodedImage& image) {
    std::free(image.pixels);
    image.pixels = nullptr;
}

void SkinPackPngRead(png_structp png, png_bytep data, size_t length) {
    auto* stream = static_cast<SkinPackStream*>(png_get_io_ptr(png));
    // libpng must never go on with bytes that were not filled.
    if (SkinPackRead(data, 1, length, stream) != length)
        png_error(png, "skin entry ends early");
}

unsigned char* DecodeSkinPng(const unsigned char* package, size_t packageSize, const char* name, int* width,
                             int* height, int* bitsPerPixel) {
    SkinPackStream* stream = SkinPackOpen(package, packageSize, name);
    if (!stream)
        return nullptr;
    png_byte signature[4];
    if (SkinPackRead(signature, 1, sizeof(signature), stream) != sizeof(signature) ||
        png_sig_cmp(signature, 0, sizeof(signature)) != 0) {
        std::free(stream);
        return nullptr;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, RefuseQuietly, IgnoreWarning);
    if (!png) {
        std::free(stream);
        return nullptr;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        std::free(stream);
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    return DecodeRows(png, info, stream, width, height, bitsPerPixel);
}

int LoadSkinBitmap(const wchar_t* path, MemoryBitmap& bitmap) {
    if (!path || !g_pSkinPack)
        return 0;
    const int length = lstrlenW(path);
    if (length < 3)
        return 0;
    if (EndsWith(path, length, L"bmp"))
        return LoadSkinBmp(path, bitmap);
    if (EndsWith(path, length, L"png"))
        return LoadSkinPng(path, bitmap);
    return 0;
}

int LoadSkinBmp(const wchar_t* path, MemoryBitmap& bitmap) {
    char name[kSkinNameSize];
    if (!path || !EntryName(path, name))
        return 0;
    StreamPtr stream(SkinPackOpen(g_pSkinPack, g_nSkinPackSize, name));
    if (!stream)
        return 0;
    // The entry is copied whole; at least one byte, so that an empty entry still gets a block.
    const size_t size = static_cast<size_t>(stream->size);
    BlockPtr copy(static_cast<unsigned char*>(std::malloc(size ? size : 1)));
    if (!copy)
        return 0;
    const size_t copied = SkinPackRead(copy.get(), 1, size, stream.get());
    stream.reset();
    return CopyBmpRows(copy.get(), copied, bitmap);
}

int LoadSkinPng(const wchar_t* path, MemoryBitmap& bitmap) {
    char name[kSkinNameSize];
    if (!path || !EntryName(path, name))
        return 0;
    DecodedImage image;
    image.pixels = DecodeSkinPng(g_pSkinPack, g_nSkinPackSize, name, &image.width, &image.height, &image.bitsPerPixel);
    if (!image.pixels || image.bitsPerPixel != 32)
        return 0;
    bitmap.Create32(image.width, image.height);
    if (!bitmap.bits)
        return 0;
    // R, G, B, A from the decoder become B, G, R, A; alpha stays straight.
    const size_t pixelCount = static_cast<size_t>(image.width) * image.height;
    const unsigned char* source = image.pixels;
    BYTE* destination = bitmap.bits;
    for (size_t i = 0; i < pixelCount; ++i, source += 4, destination += 4) {
        destination[0] = source[2];
        destination[1] = source[1];
        destination[2] = source[0];
        destination[3] = source[3];
    }
    FreeDecodedPixels(image);
    return 1;
}
