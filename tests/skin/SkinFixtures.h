// Skin packages, PNG and BMP files made in memory for the skin tests.
#pragma once

#include <png.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "skin/MemoryBitmap.h"

namespace skintest {

using Bytes = std::string;

// A PNG to write: rows hold the samples exactly as PNG stores them (packed low-depth samples,
// 16-bit samples big-endian), (width * channels * depth + 7) / 8 bytes a row.
struct PngPicture {
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
    bool hasTransparentColor = false;    // tRNS of a grey or RGB image
    png_color_16 transparentColor{};
    Bytes rows;
};
Bytes EncodePng(const PngPicture& picture);

// An 8-bit RGBA picture from pixels given as R, G, B, A.
PngPicture RgbaPicture(int width, int height, const std::vector<uint8_t>& rgba);

// Bytes from a list of values 0 to 255.
Bytes BytesOf(std::initializer_list<int> values);

// A PNG kind: colour type, bit depth, with or without a tRNS chunk, interlaced or not.
struct PngKind {
    const char* label;
    int colorType;
    int depth;
    bool transparency;  // a tRNS chunk
    bool interlaced;
};

// A picture of a kind whose samples run through many values, and the R, G, B, A pixels that a
// decoder must make of it.
struct PngSample {
    PngPicture picture;
    Bytes expectedRgba;
};

PngSample MakeSample(const PngKind& kind, int width, int height);

// Every kind the decoder takes: the palette and RGB kinds, and grey, 16-bit and interlaced ones.
std::vector<PngKind> AllPngKinds();

// A BMP file: a 14-byte file header and a 40-byte info header, then `rows` as given (the
// caller lays them out, bottom-up for a positive height).
struct BmpHeader {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    int32_t pixelOffset = 54;
};
Bytes EncodeBmp(const BmpHeader& header, const Bytes& rows);

// A package: entry count, directory records, data area. Records with explicit offsets and sizes
// can point anywhere; BuildPackage lays the entries out back to back.
struct PackRecord {
    std::string name;  // copied into the 32-byte field, NUL-filled, never more than 32 bytes
    uint32_t offset;
    uint32_t size;
};
Bytes RawPackage(int32_t count, const std::vector<PackRecord>& records, const Bytes& data);
struct PackEntry {
    std::string name;
    Bytes content;
};
Bytes BuildPackage(const std::vector<PackEntry>& entries);

// Writes the bytes into a file of a scratch folder and makes it the current package.
class PackageFile {
public:
    int Load(const Bytes& package);
    std::wstring Path() const { return folder_.File(L"Test.SKN"); }

private:
    testsupport::TempFolder folder_;
};

// The bytes of a bitmap, row by row without the padding, for comparisons.
Bytes PixelBytes(const MemoryBitmap& bitmap);

// Blocks in use on the C runtime's heap, where the reader, the decoders and libpng allocate;
// -1 when the heap cannot be walked.
int UsedHeapBlocks();

}  // namespace skintest
