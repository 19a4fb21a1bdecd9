#include "tools/skinpack/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace skinart {

namespace {

void WriteToFile(png_structp png, png_bytep bytes, png_size_t length) {
    if (std::fwrite(bytes, 1, length, static_cast<FILE*>(png_get_io_ptr(png))) != length)
        png_error(png, "write failed");
}

void FlushFile(png_structp png) {
    std::fflush(static_cast<FILE*>(png_get_io_ptr(png)));
}

// Encodes into an open file; false when libpng reports an error. Kept free of objects with
// destructors, since libpng leaves through longjmp.
bool Encode(FILE* file, int width, int height, const std::vector<png_byte>& rgba) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, file, WriteToFile, FlushFile);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, &rgba[static_cast<size_t>(y) * width * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const canvas::Canvas& image) {
    const std::vector<png_byte> rgba = image.Rgba8();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool encoded = Encode(file, image.Width(), image.Height(), rgba);
    return std::fclose(file) == 0 && encoded;
}

}  // namespace skinart
