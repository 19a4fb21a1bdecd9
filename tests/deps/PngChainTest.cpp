// The target build of libpng (with zlib) writes a PNG into memory and reads it back.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <vector>

namespace {

struct MemoryReader {
    const std::vector<unsigned char>* data;
    size_t offset;
};

void WriteToVector(png_structp png, png_bytep bytes, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), bytes, bytes + length);
}

void ReadFromMemory(png_structp png, png_bytep bytes, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->offset + length > reader->data->size())
        png_error(png, "read past the end");
    std::memcpy(bytes, reader->data->data() + reader->offset, length);
    reader->offset += length;
}

TEST(PngChain, EncodesAndDecodesRgbaInMemory) {
    constexpr int kWidth = 7, kHeight = 5;
    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 37 + 11);

    std::vector<unsigned char> file;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop writeInfo = png_create_info_struct(writer);
    ASSERT_EQ(setjmp(png_jmpbuf(writer)), 0);
    png_set_write_fn(writer, &file, WriteToVector, nullptr);
    png_set_IHDR(writer, writeInfo, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer, writeInfo);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(writer, pixels.data() + y * kWidth * 4);
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &writeInfo);
    ASSERT_GT(file.size(), 8u);
    EXPECT_EQ(png_sig_cmp(file.data(), 0, 8), 0);

    MemoryReader source{&file, 0};
    std::vector<unsigned char> decoded(pixels.size());
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop readInfo = png_create_info_struct(reader);
    ASSERT_EQ(setjmp(png_jmpbuf(reader)), 0);
    png_set_read_fn(reader, &source, ReadFromMemory);
    png_read_info(reader, readInfo);
    EXPECT_EQ(png_get_image_width(reader, readInfo), static_cast<png_uint_32>(kWidth));
    EXPECT_EQ(png_get_image_height(reader, readInfo), static_cast<png_uint_32>(kHeight));
    EXPECT_EQ(png_get_color_type(reader, readInfo), PNG_COLOR_TYPE_RGB_ALPHA);
    for (int y = 0; y < kHeight; ++y)
        png_read_row(reader, decoded.data() + y * kWidth * 4, nullptr);
    png_destroy_read_struct(&reader, &readInfo, nullptr);
    EXPECT_EQ(decoded, pixels);
}

}  // namespace
