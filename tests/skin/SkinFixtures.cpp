#include "SkinFixtures.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>

#include "skin/SkinPack.h"

namespace skintest {

namespace {

void AppendToBytes(png_structp png, png_bytep data, size_t length) {
    static_cast<Bytes*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void AppendLittleEndian(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

// Everything between the return point and libpng lives in the arguments, which do not change.
bool WritePng(png_structp png, png_infop info, const PngPicture& picture, png_bytepp rows, size_t rowBytes) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty())
        png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
    if (!picture.paletteAlpha.empty())
        png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()), nullptr);
    if (picture.hasTransparentColor)
        png_set_tRNS(png, info, nullptr, 0, &picture.transparentColor);
    png_write_info(png, info);
    if (png_get_rowbytes(png, info) != rowBytes)
        png_error(png, "fixture rows do not match the header");
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

Bytes EncodePng(const PngPicture& picture) {
    Bytes file;
    const size_t rowBytes = picture.height ? picture.rows.size() / picture.height : 0;
    std::vector<png_bytep> rows(picture.height);
    for (int y = 0; y < picture.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(const_cast<char*>(picture.rows.data())) + y * rowBytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, AppendToBytes, nullptr);
    const bool written = WritePng(png, info, picture, rows.data(), rowBytes);
    png_destroy_write_struct(&png, &info);
    if (!written)
        ADD_FAILURE() << "libpng could not write the fixture";
    return written ? file : Bytes();
}

PngPicture RgbaPicture(int width, int height, const std::vector<uint8_t>& rgba) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rows.assign(rgba.begin(), rgba.end());
    return picture;
}

Bytes EncodeBmp(const BmpHeader& header, const Bytes& rows) {
    Bytes file = "BM";
    AppendLittleEndian(file, static_cast<uint32_t>(54 + rows.size()), 4);
    AppendLittleEndian(file, 0, 4);
    AppendLittleEndian(file, static_cast<uint32_t>(header.pixelOffset), 4);
    AppendLittleEndian(file, 40, 4);
    AppendLittleEndian(file, static_cast<uint32_t>(header.width), 4);
    AppendLittleEndian(file, static_cast<uint32_t>(header.height), 4);
    AppendLittleEndian(file, 1, 2);
    AppendLittleEndian(file, header.bitCount, 2);
    AppendLittleEndian(file, header.compression, 4);
    AppendLittleEndian(file, static_cast<uint32_t>(rows.size()), 4);
    AppendLittleEndian(file, 2835, 4);
    AppendLittleEndian(file, 2835, 4);
    AppendLittleEndian(file, 0, 4);
    AppendLittleEndian(file, 0, 4);
    return file + rows;
}

Bytes RawPackage(int32_t count, const std::vector<PackRecord>& records, const Bytes& data) {
    Bytes package;
    AppendLittleEndian(package, static_cast<uint32_t>(count), 4);
    for (const PackRecord& record : records) {
        Bytes field = record.name.substr(0, kSkinNameSize);
        field.resize(kSkinNameSize, '\0');
        package += field;
        AppendLittleEndian(package, record.offset, 4);
        AppendLittleEndian(package, record.size, 4);
    }
    return package + data;
}

Bytes BuildPackage(const std::vector<PackEntry>& entries) {
    std::vector<PackRecord> records;
    Bytes data;
    for (const PackEntry& entry : entries) {
        records.push_back(
            {entry.name, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(entry.content.size())});
        data += entry.content;
    }
    return RawPackage(static_cast<int32_t>(records.size()), records, data);
}

Bytes BytesOf(std::initializer_list<int> values) {
    Bytes bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

namespace {

const png_color kPalette[] = {{200, 10, 20}, {30, 180, 40}, {50, 60, 170}, {255, 255, 255},
                              {0, 0, 0},     {90, 91, 92},  {7, 8, 9}};
const png_byte kPaletteAlpha[] = {0, 128, 255, 40};

int ChannelsOf(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;  // grey, palette
    }
}

// Writes samples into a PNG row: most significant bits first below 8 bits, big-endian at 16.
void PutSample(Bytes& row, int depth, int index, int value) {
    if (depth == 16) {
        row[2 * index] = static_cast<char>(value >> 8);
        row[2 * index + 1] = static_cast<char>(value);
    } else if (depth == 8) {
        row[index] = static_cast<char>(value);
    } else {
        const int bit = index * depth;
        row[bit / 8] = static_cast<char>(row[bit / 8] | value << (8 - depth - bit % 8));
    }
}

}  // namespace

PngSample MakeSample(const PngKind& kind, int width, int height) {
    const bool palette = kind.colorType == PNG_COLOR_TYPE_PALETTE;
    const int channels = ChannelsOf(kind.colorType);
    const int levels = palette ? std::min(1 << kind.depth, 7) : kind.depth == 16 ? 256 : 1 << kind.depth;
    // 16-bit samples are b * 257, which scales exactly to the byte b.
    auto stored = [&](int level) { return kind.depth == 16 ? level * 257 : level; };
    auto toByte = [&](int level) { return palette || kind.depth == 16 ? level : level * 255 / (levels - 1); };

    PngSample sample;
    PngPicture& picture = sample.picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = kind.colorType;
    picture.bitDepth = kind.depth;
    picture.interlaced = kind.interlaced;
    if (palette)
        picture.palette.assign(kPalette, kPalette + levels);
    const size_t rowBytes = (static_cast<size_t>(width) * channels * kind.depth + 7) / 8;
    std::vector<int> first;  // the first pixel's levels: the transparent colour of a tRNS kind
    for (int y = 0; y < height; ++y) {
        Bytes row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            std::vector<int> level(channels);
            for (int c = 0; c < channels; ++c) {
                level[c] = ((y * width + x) * 37 + c * 91 + 11) % levels;
                PutSample(row, kind.depth, x * channels + c, stored(level[c]));
            }
            if (first.empty())
                first = level;
            int r, g, b, a = 255;
            if (palette) {
                r = kPalette[level[0]].red, g = kPalette[level[0]].green, b = kPalette[level[0]].blue;
                if (kind.transparency && level[0] < static_cast<int>(sizeof(kPaletteAlpha)))
                    a = kPaletteAlpha[level[0]];
            } else if (channels <= 2) {
                r = g = b = toByte(level[0]);
            } else {
                r = toByte(level[0]), g = toByte(level[1]), b = toByte(level[2]);
            }
            if (channels == 2 || channels == 4)
                a = toByte(level[channels - 1]);
            if (!palette && kind.transparency && level == first)
                a = 0;
            sample.expectedRgba += BytesOf({r, g, b, a});
        }
        picture.rows += row;
    }
    if (kind.transparency && palette)
        picture.paletteAlpha.assign(kPaletteAlpha, kPaletteAlpha + sizeof(kPaletteAlpha));
    if (kind.transparency && !palette) {
        picture.hasTransparentColor = true;
        const int last = static_cast<int>(first.size()) - 1;
        picture.transparentColor.gray = static_cast<png_uint_16>(stored(first[0]));
        picture.transparentColor.red = static_cast<png_uint_16>(stored(first[0]));
        picture.transparentColor.green = static_cast<png_uint_16>(stored(first[std::min(1, last)]));
        picture.transparentColor.blue = static_cast<png_uint_16>(stored(first[std::min(2, last)]));
    }
    return sample;
}

std::vector<PngKind> AllPngKinds() {
    return {PngKind{"Rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
            PngKind{"Rgb8Trns", PNG_COLOR_TYPE_RGB, 8, true, false},
            PngKind{"Rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
            PngKind{"Palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
            PngKind{"Palette2", PNG_COLOR_TYPE_PALETTE, 2, false, false},
            PngKind{"Palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
            PngKind{"Palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
            PngKind{"Palette2Trns", PNG_COLOR_TYPE_PALETTE, 2, true, false},
            PngKind{"Palette8Trns", PNG_COLOR_TYPE_PALETTE, 8, true, false},
            PngKind{"Grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
            PngKind{"Grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},
            PngKind{"Grey4", PNG_COLOR_TYPE_GRAY, 4, false, false},
            PngKind{"Grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
            PngKind{"Grey8Trns", PNG_COLOR_TYPE_GRAY, 8, true, false},
            PngKind{"Grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
            PngKind{"GreyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
            PngKind{"GreyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
            PngKind{"Rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
            PngKind{"Rgb16Trns", PNG_COLOR_TYPE_RGB, 16, true, false},
            PngKind{"Rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
            PngKind{"InterlacedRgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
            PngKind{"InterlacedPalette4Trns", PNG_COLOR_TYPE_PALETTE, 4, true, true},
            PngKind{"InterlacedGrey16", PNG_COLOR_TYPE_GRAY, 16, false, true}};
}

int PackageFile::Load(const Bytes& package) {
    testsupport::WriteWholeFile(Path(), package);
    return LoadSkinPack(Path().c_str());
}

Bytes PixelBytes(const MemoryBitmap& bitmap) {
    Bytes pixels;
    if (!bitmap.bits)
        return pixels;
    const size_t rowBytes = static_cast<size_t>(bitmap.width) * bitmap.bpp / 8;
    for (int y = 0; y < bitmap.height; ++y)
        pixels.append(reinterpret_cast<const char*>(bitmap.bits) + static_cast<size_t>(y) * bitmap.Stride(), rowBytes);
    return pixels;
}

int UsedHeapBlocks() {
    _HEAPINFO entry{};
    int used = 0;
    int status;
    while ((status = _heapwalk(&entry)) == _HEAPOK)
        if (entry._useflag == _USEDENTRY)
            ++used;
    return status == _HEAPEND ? used : -1;
}

}  // namespace skintest
