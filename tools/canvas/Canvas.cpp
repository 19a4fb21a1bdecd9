#include "tools/canvas/Canvas.h"

#include <algorithm>
#include <cmath>

namespace canvas {

namespace {

constexpr int kSamples = 8;

// Source over destination, both with straight alpha; `alpha` is the source's alpha already
// scaled by the covered part of the pixel.
void Over(Color& dst, Color src, float alpha) {
    const float outA = alpha + dst.a * (1 - alpha);
    if (outA <= 0)
        return;
    auto mix = [&](float s, float d) { return (s * alpha + d * dst.a * (1 - alpha)) / outA; };
    dst = Color{mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), outA};
}

std::uint8_t Byte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
}

}  // namespace

Color Mix(Color from, Color to, float t) {
    auto lerp = [t](float a, float b) { return a + (b - a) * t; };
    return Color{lerp(from.r, to.r), lerp(from.g, to.g), lerp(from.b, to.b), lerp(from.a, to.a)};
}

Color WithAlpha(Color c, float alpha) {
    c.a = alpha;
    return c;
}

Canvas::Canvas(int width, int height, float unit)
    : width_(width), height_(height), unit_(unit), pixels_(static_cast<size_t>(width) * height, Color{0, 0, 0, 0}) {}

void Canvas::Fill(const Shape& inside, Color color) {
    Fill(inside, [color](float, float) { return color; });
}

void Canvas::Fill(const Shape& inside, const Paint& paint) {
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    hits += inside((px + (sx + 0.5f) / kSamples) / unit_, (py + (sy + 0.5f) / kSamples) / unit_);
            if (hits == 0)
                continue;
            const Color color = paint((px + 0.5f) / unit_, (py + 0.5f) / unit_);
            Over(pixels_[py * width_ + px], color, color.a * hits / (kSamples * kSamples));
        }
    }
}

std::vector<std::uint8_t> Canvas::Rgba8() const {
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const Color& p : pixels_) {
        const std::uint8_t alpha = Byte(p.a);
        out.push_back(alpha ? Byte(p.r) : 0);
        out.push_back(alpha ? Byte(p.g) : 0);
        out.push_back(alpha ? Byte(p.b) : 0);
        out.push_back(alpha);
    }
    return out;
}

}  // namespace canvas
