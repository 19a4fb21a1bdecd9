#include "tools/skinart/PngEncoder.h"

#include <png.h>

namespace skinart {

namespace {

void AppendToVector(png_structp png, png_bytep bytes, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), bytes, bytes + length);
}

void FlushNothing(png_structp) {}

// False when libpng reports an error. Kept free of objects with destructors, since libpng
// leaves through longjmp.
bool Encode(std::vector<std::uint8_t>* out, int width, int height, const std::vector<png_byte>& rgba) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToVector, FlushNothing);
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

std::vector<std::uint8_t> EncodePng(const canvas::Canvas& image) {
    const std::vector<png_byte> rgba = image.Rgba8();
    std::vector<std::uint8_t> bytes;
    if (!Encode(&bytes, image.Width(), image.Height(), rgba))
        bytes.clear();
    return bytes;
}

}  // namespace skinart
