// Draws the product's application icons and writes them as .ico files with 16, 32 and
// 48 pixel images in 32-bit colour with alpha. Usage: icongen STYLE FILE.ico
// STYLE: "reap" (a window with a closing cross) or "bar" (a rounded button bar).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/canvas/Canvas.h"
#include "tools/canvas/Shapes.h"

namespace {

using canvas::Canvas;
using canvas::RoundRect;
using canvas::Stroke;

void DrawReap(Canvas& c) {
    c.Fill(RoundRect(0.06f, 0.10f, 0.94f, 0.90f, 0.10f), {0.16f, 0.25f, 0.38f, 1});
    c.Fill(RoundRect(0.10f, 0.26f, 0.90f, 0.86f, 0.05f), {0.93f, 0.95f, 0.98f, 1});
    c.Fill(Stroke(0.34f, 0.40f, 0.66f, 0.74f, 0.065f), {0.85f, 0.20f, 0.18f, 1});
    c.Fill(Stroke(0.66f, 0.40f, 0.34f, 0.74f, 0.065f), {0.85f, 0.20f, 0.18f, 1});
}

void DrawBar(Canvas& c) {
    c.Fill(RoundRect(0.04f, 0.28f, 0.96f, 0.72f, 0.16f), {0.10f, 0.24f, 0.42f, 0.92f});
    for (int i = 0; i < 3; ++i) {
        const float x = 0.12f + i * 0.27f;
        c.Fill(RoundRect(x, 0.36f, x + 0.22f, 0.64f, 0.07f), {0.55f, 0.80f, 1.0f, 1});
    }
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (double height), bottom-up BGRA rows, then the AND mask.
std::vector<uint8_t> IconImage(const Canvas& c) {
    const int n = c.Width();
    const int maskStride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, n);
    Put32(out, n * 2);
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    const std::vector<uint8_t> rgba = c.Rgba8();
    auto pixel = [&](int x, int y) { return &rgba[(static_cast<size_t>(y) * n + x) * 4]; };
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const uint8_t* p = pixel(x, y);
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (pixel(x, y)[3] == 0)
                row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "reap") != 0 && std::strcmp(argv[1], "bar") != 0)) {
        std::fprintf(stderr, "usage: icongen reap|bar FILE.ico\n");
        return 2;
    }
    const bool reap = std::strcmp(argv[1], "reap") == 0;
    const int sizes[] = {16, 32, 48};
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) {
        Canvas canvas(size, size, static_cast<float>(size));
        reap ? DrawReap(canvas) : DrawBar(canvas);
        images.push_back(IconImage(canvas));
    }

    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<unsigned>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images)
        file.insert(file.end(), image.begin(), image.end());

    FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
