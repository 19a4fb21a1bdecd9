#include "SkinFixtures.h"

#include <gtest/gtest.h>

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

}  // namespace skintest
