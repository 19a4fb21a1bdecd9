// Draws the product's application icons and writes them as .ico files with 16, 32 and
// 48 pixel images in 32-bit colour with alpha. Usage: icongen STYLE FILE.ico
// STYLE: "reap" (a window with a closing cross) or "bar" (a rounded button bar).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Color {
    float r, g, b, a;
};

// Straight-alpha RGBA canvas; shapes are given as coverage functions in unit coordinates.
class Canvas {
public:
    explicit Canvas(int size) : size_(size), pixels_(size * size, Color{0, 0, 0, 0}) {}

    using Shape = std::function<bool(float x, float y)>;

    void Fill(const Shape& inside, Color color) {
        constexpr int kSamples = 4;
        for (int py = 0; py < size_; ++py) {
            for (int px = 0; px < size_; ++px) {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx)
                        hits += inside((px + (sx + 0.5f) / kSamples) / size_,
                                       (py + (sy + 0.5f) / kSamples) / size_);
                if (hits)
                    Over(pixels_[py * size_ + px], color, color.a * hits / (kSamples * kSamples));
            }
        }
    }

    const Color& At(int x, int y) const { return pixels_[y * size_ + x]; }
    int Size() const { return size_; }

private:
    static void Over(Color& dst, Color src, float alpha) {
        const float outA = alpha + dst.a * (1 - alpha);
        if (outA <= 0)
            return;
        auto mix = [&](float s, float d) { return (s * alpha + d * dst.a * (1 - alpha)) / outA; };
        dst = Color{mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), outA};
    }

    int size_;
    std::vector<Color> pixels_;
};

Canvas::Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        const float cx = std::clamp(x, x0 + radius, x1 - radius);
        const float cy = std::clamp(y, y0 + radius, y1 - radius);
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 &&
               (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Canvas::Shape Stroke(float x0, float y0, float x1, float y1, float halfWidth) {
    return [=](float x, float y) {
        const float dx = x1 - x0, dy = y1 - y0;
        const float t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
        const float ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
        return ex * ex + ey * ey <= halfWidth * halfWidth;
    };
}

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
    const int n = c.Size();
    const int maskStride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, n);
    Put32(out, n * 2);
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    auto byte = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const Color& p = c.At(x, y);
            out.push_back(byte(p.b));
            out.push_back(byte(p.g));
            out.push_back(byte(p.r));
            out.push_back(byte(p.a));
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (byte(c.At(x, y).a) == 0)
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
        Canvas canvas(size);
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
