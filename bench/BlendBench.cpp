// Composes a full bar surface of 20 cells the way the bar paints (left piece, 18 middle pieces,
// right piece, then 20 button images into their slots) with three blends: AlphaBlendBitmap,
// the same rule written as a plain scalar loop, and the platform's AlphaBlend (msimg32) with
// premultiplied copies of the same pictures. Prints megapixels per second and, last, the ratios.
//
// Run after a build, on a display (Wine needs one for device contexts):
//   xvfb-run -a build/wine-run build/bench/blend_bench.exe
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "skin/MemoryBitmap.h"

namespace {

constexpr int kCells = 20;
constexpr int kCell = 64;    // cell width and height: the 64 skins' left piece
constexpr int kButton = 48;  // the up image's height: the button size

// The blend rule one byte at a time, with the same placement and clipping as AlphaBlendBitmap.
void ScalarBlend(MemoryBitmap& destination, const MemoryBitmap& source, int x, int y) {
    const int px = x + source.offsetX, py = y + source.offsetY;
    if (source.bpp != 32 || destination.bpp != 32 || !source.bits || !destination.bits || px >= destination.width ||
        py >= destination.height || px + source.width <= 0 || py + source.height <= 0)
        return;
    const int firstColumn = std::max(0, -px), firstRow = std::max(0, -py);
    const int columns = std::min(source.width, destination.width - px) - firstColumn;
    const int rows = std::min(source.height, destination.height - py) - firstRow;
    for (int row = 0; row < rows; ++row) {
        const BYTE* s = source.bits + (firstRow + row) * source.Stride() + 4 * firstColumn;
        BYTE* d = destination.bits + (py + firstRow + row) * destination.Stride() + 4 * (px + firstColumn);
        for (int column = 0; column < columns; ++column, s += 4, d += 4) {
            const int weight = (s[3] + 1) >> 1;
            for (int i = 0; i < 4; ++i)
                d[i] = static_cast<BYTE>(((s[i] * weight) >> 7) + ((d[i] * (128 - weight)) >> 7));
        }
    }
}

void PlatformBlend(MemoryBitmap& destination, const MemoryBitmap& premultiplied, int x, int y) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(destination.hdc, x, y, premultiplied.width, premultiplied.height, premultiplied.hdc, 0, 0,
               premultiplied.width, premultiplied.height, blend);
}

// Coverage of a rounded rectangle inset by `inset` with corner radius `radius`, anti-aliased
// over one pixel.
double RoundedRectCoverage(int x, int y, int width, int height, double inset, double radius) {
    const double cx = std::clamp(x + 0.5, inset + radius, width - inset - radius);
    const double cy = std::clamp(y + 0.5, inset + radius, height - inset - radius);
    const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    return std::clamp(radius - distance + 0.5, 0.0, 1.0);
}

// Translucent rounded shapes with straight alpha: a glass piece, or a button with a ring glyph.
void Paint(MemoryBitmap& picture, int width, int height, int hue, bool button) {
    picture.Create32(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* pixel = picture.bits + y * picture.Stride() + 4 * x;
            double alpha = RoundedRectCoverage(x, y, width, height, button ? 2 : 0, button ? 12 : 8) *
                           (button ? 0.95 : 0.7 + 0.25 * y / height);
            if (button) {
                const double ring = std::abs(std::hypot(x - width / 2.0, y - height / 2.0) - width / 4.0);
                alpha = std::max(alpha, std::clamp(2.5 - ring, 0.0, 1.0));
            }
            pixel[0] = static_cast<BYTE>((hue * 3 + y * 2) & 0xFF);
            pixel[1] = static_cast<BYTE>((hue + 80 + x) & 0xFF);
            pixel[2] = static_cast<BYTE>((200 - y) & 0xFF);
            pixel[3] = static_cast<BYTE>(std::lround(255 * alpha));
        }
}

void Premultiply(const MemoryBitmap& straight, MemoryBitmap& premultiplied) {
    premultiplied.Create32(straight.width, straight.height);
    for (int i = 0; i < straight.width * straight.height; ++i) {
        const BYTE* s = straight.bits + 4 * i;
        BYTE* p = premultiplied.bits + 4 * i;
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<BYTE>((s[c] * s[3] + 127) / 255);
        p[3] = s[3];
    }
}

// The pictures of one skin and where the bar puts them.
struct Layer {
    const MemoryBitmap* straight;
    const MemoryBitmap* premultiplied;
    int x, y;
};

struct Skin {
    MemoryBitmap pieces[3], premultipliedPieces[3];  // left, middle, right
    MemoryBitmap buttons[kCells], premultipliedButtons[kCells];
    std::vector<Layer> layers;
    long long pixels = 0;

    Skin() {
        for (int i = 0; i < 3; ++i) {
            Paint(pieces[i], kCell, kCell, 40 * i, false);
            Premultiply(pieces[i], premultipliedPieces[i]);
        }
        for (int i = 0; i < kCells; ++i) {
            Paint(buttons[i], kButton, kButton, 11 * i, true);
            Premultiply(buttons[i], premultipliedButtons[i]);
        }
        const int width = kCells * kCell;
        Add(pieces[0], premultipliedPieces[0], 0, 0);
        for (int i = 2; i <= kCells - 1; ++i)
            Add(pieces[1], premultipliedPieces[1], (i - 1) * kCell, 0);
        Add(pieces[2], premultipliedPieces[2], width - kCell, 0);
        for (int slot = 0; slot < kCells; ++slot)
            Add(buttons[slot], premultipliedButtons[slot], slot * kCell + (kCell - kButton) / 2,
                3 * (kCell - kButton) / 4);
    }

    void Add(const MemoryBitmap& straight, const MemoryBitmap& premultiplied, int x, int y) {
        layers.push_back({&straight, &premultiplied, x, y});
        pixels += static_cast<long long>(straight.width) * straight.height;
    }
};

using Blend = std::function<void(MemoryBitmap&, const Layer&)>;

void Clear(MemoryBitmap& surface) {
    std::memset(surface.bits, 0, static_cast<size_t>(surface.Stride()) * surface.height);
}

void Compose(MemoryBitmap& surface, const Skin& skin, const Blend& blend) {
    Clear(surface);
    for (const Layer& layer : skin.layers)
        blend(surface, layer);
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

// Blended megapixels per second: the best of several runs of whole compositions, each timed from
// its first blend to its last (the clearing of the surface before it is not the blend's work).
double MegapixelsPerSecond(MemoryBitmap& surface, const Skin& skin, const Blend& blend) {
    constexpr int kRuns = 7, kCompositions = 200;
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        double blending = 0;
        for (int i = 0; i < kCompositions; ++i) {
            Clear(surface);
            GdiFlush();
            const double start = Seconds();
            for (const Layer& layer : skin.layers)
                blend(surface, layer);
            GdiFlush();
            blending += Seconds() - start;
        }
        best = std::min(best, blending);
    }
    return skin.pixels * kCompositions / best / 1e6;
}

}  // namespace

int main() {
    Skin skin;
    MemoryBitmap surface, scalarSurface;
    surface.Create32(kCells * kCell, kCell);
    scalarSurface.Create32(kCells * kCell, kCell);
    if (!surface.bits || !scalarSurface.bits) {
        std::fprintf(stderr, "no surface\n");
        return 1;
    }
    const Blend fast = [](MemoryBitmap& d, const Layer& l) { AlphaBlendBitmap(d, *l.straight, l.x, l.y); };
    const Blend scalar = [](MemoryBitmap& d, const Layer& l) { ScalarBlend(d, *l.straight, l.x, l.y); };
    const Blend platform = [](MemoryBitmap& d, const Layer& l) { PlatformBlend(d, *l.premultiplied, l.x, l.y); };

    // The two implementations of the rule must agree byte for byte before their speed counts.
    Compose(surface, skin, fast);
    Compose(scalarSurface, skin, scalar);
    if (std::memcmp(surface.bits, scalarSurface.bits, static_cast<size_t>(surface.Stride()) * surface.height) != 0) {
        std::fprintf(stderr, "AlphaBlendBitmap and the scalar rule differ\n");
        return 1;
    }

    std::printf("surface %d x %d: %d cells of %d x %d, %d buttons of %d x %d; %lld pixels blended a composition\n",
                surface.width, surface.height, kCells, kCell, kCell, kCells, kButton, kButton, skin.pixels);
    const double fastRate = MegapixelsPerSecond(surface, skin, fast);
    const double scalarRate = MegapixelsPerSecond(surface, skin, scalar);
    const double platformRate = MegapixelsPerSecond(surface, skin, platform);
    std::printf("AlphaBlendBitmap: %.1f Mpx/s\n", fastRate);
    std::printf("scalar rule: %.1f Mpx/s\n", scalarRate);
    std::printf("AlphaBlend (msimg32): %.1f Mpx/s\n", platformRate);
    std::printf("ratio AlphaBlendBitmap/AlphaBlend: %.2f\n", fastRate / platformRate);
    std::printf("ratio AlphaBlendBitmap/scalar: %.2f\n", fastRate / scalarRate);
    return 0;
}
