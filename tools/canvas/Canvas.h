// A small anti-aliased drawing surface for the build-time art generators (program icons,
// sample skins). Shapes are inside/outside tests in drawing units; each pixel is sampled on
// an 8 x 8 grid, so edges get 64 levels of coverage. Pixels hold straight (not
// premultiplied) alpha, as the skin images and icons store it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace canvas {

// Channels from 0 to 1, alpha straight.
struct Color {
    float r, g, b, a;
};

Color Mix(Color from, Color to, float t);  // componentwise, t from 0 (from) to 1 (to)
Color WithAlpha(Color c, float alpha);

using Shape = std::function<bool(float x, float y)>;
using Paint = std::function<Color(float x, float y)>;

class Canvas {
public:
    // width x height pixels; one drawing unit spans `unit` pixels.
    Canvas(int width, int height, float unit);

    // Paints `color` (or the paint taken at each pixel's centre) over the pixels that the
    // shape covers, in proportion to the covered part of each pixel.
    void Fill(const Shape& inside, Color color);
    void Fill(const Shape& inside, const Paint& paint);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const Color& At(int x, int y) const { return pixels_[y * width_ + x]; }

    // 8-bit R, G, B, A rows, top row first; colour bytes are 0 where alpha is 0.
    std::vector<std::uint8_t> Rgba8() const;

private:
    int width_;
    int height_;
    float unit_;
    std::vector<Color> pixels_;
};

}  // namespace canvas
