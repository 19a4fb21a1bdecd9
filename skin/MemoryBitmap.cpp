#include "skin/MemoryBitmap.h"

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

MemoryBitmap::~MemoryBitmap() {
    Release();
}

void MemoryBitmap::Create32(int w, int h) {
    Create(w, h, 32);
}

void MemoryBitmap::Create24(int w, int h) {
    Create(w, h, 24);
}

void MemoryBitmap::Create(int w, int h, int bitsPerPixel) {
    Release();
    if (bitsPerPixel == 32)
        offsetX = offsetY = 0;

    // A non-positive size would make no section or a bottom-up one; row bits and the whole
    // image must fit the signed 32-bit arithmetic of Stride() and the blend.
    const int64_t stride = ((static_cast<int64_t>(w) * bitsPerPixel) / 8 + 3) & ~int64_t{3};
    if (w < 1 || h < 1 || static_cast<int64_t>(w) * bitsPerPixel > INT32_MAX || stride * h > kMaxBitmapPixelBytes)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(stride * h);
    void* pixels = nullptr;
    hbm = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC screen = GetDC(nullptr);
    hdc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!hbm || !hdc || !pixels) {
        Release();
        return;
    }

    bits = static_cast<BYTE*>(pixels);
    hbmOld = SelectObject(hdc, hbm);
    SetStretchBltMode(hdc, COLORONCOLOR);
    bpp = bitsPerPixel;
    width = dispWidth = w;
    height = dispHeight = h;
}

void MemoryBitmap::Release() {
    // The section is deselected first so that it is no longer in use when it is deleted.
    if (hbmOld && hdc)
        SelectObject(hdc, hbmOld);
    if (hdc)
        DeleteDC(hdc);
    if (hbm)
        DeleteObject(hbm);
    hdc = nullptr;
    hbm = nullptr;
    hbmOld = nullptr;
    bits = nullptr;
    bpp = width = height = dispWidth = dispHeight = 0;
}

namespace {

// The blend works on whole pixels in SSE2 lanes: four pixels a step, each byte widened to a
// 16-bit lane. With the byte in the lane's high half (s * 256) and the weight doubled (2a, at
// most 256), the high half of the product is (s * 256 * 2a) >> 16 = (s * a) >> 7 exactly, and
// likewise (d * (128 - a)) >> 7 with 256 - 2a. Each product is truncated on its own, as the
// rule has it, so every output byte equals the scalar rule; the sum never exceeds 255. The
// pixels left over after the four-pixel steps go one at a time through the same lanes; there
// is no branch per pixel.
struct BlendLanes {
    __m128i zero = _mm_setzero_si128();
    __m128i one = _mm_set1_epi32(1);
    __m128i evenWeight = _mm_set1_epi32(0x1FE);
    __m128i full = _mm_set1_epi16(256);

    // For each pixel's 32-bit lane, 2a = (sA + 1) with its lowest bit cleared, in both 16-bit halves.
    __m128i DoubledWeights(__m128i source) const {
        __m128i weight = _mm_and_si128(_mm_add_epi32(_mm_srli_epi32(source, 24), one), evenWeight);
        return _mm_or_si128(weight, _mm_slli_epi32(weight, 16));
    }

    // Two pixels: bytes in the high halves of the lanes, their doubled weights and 256 - 2a.
    static __m128i Mix(__m128i source, __m128i destination, __m128i weight, __m128i rest) {
        return _mm_add_epi16(_mm_mulhi_epu16(source, weight), _mm_mulhi_epu16(destination, rest));
    }

    __m128i Blend4(__m128i source, __m128i destination) const {
        const __m128i weights = DoubledWeights(source);
        const __m128i rests = _mm_sub_epi16(full, weights);
        const __m128i low = Mix(_mm_unpacklo_epi8(zero, source), _mm_unpacklo_epi8(zero, destination),
                                _mm_unpacklo_epi32(weights, weights), _mm_unpacklo_epi32(rests, rests));
        const __m128i high = Mix(_mm_unpackhi_epi8(zero, source), _mm_unpackhi_epi8(zero, destination),
                                 _mm_unpackhi_epi32(weights, weights), _mm_unpackhi_epi32(rests, rests));
        return _mm_packus_epi16(low, high);
    }

    void Row(BYTE* destination, const BYTE* source, int pixels) const {
        int i = 0;
        // Two independent steps an iteration keep the multipliers busy.
        for (; i + 8 <= pixels; i += 8) {
            const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
            const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i + 16));
            const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination + 4 * i));
            const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination + 4 * i + 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * i), Blend4(s0, d0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * i + 16), Blend4(s1, d1));
        }
        for (; i + 4 <= pixels; i += 4) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination + 4 * i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 4 * i), Blend4(s, d));
        }
        for (; i < pixels; ++i) {
            int32_t s, d;
            std::memcpy(&s, source + 4 * i, 4);
            std::memcpy(&d, destination + 4 * i, 4);
            const int32_t result = _mm_cvtsi128_si32(Blend4(_mm_cvtsi32_si128(s), _mm_cvtsi32_si128(d)));
            std::memcpy(destination + 4 * i, &result, 4);
        }
    }
};

}  // namespace

// Windows keeps only a 4-byte aligned stack for 32-bit code; the lanes may be spilled there.
__attribute__((force_align_arg_pointer)) void AlphaBlendBitmap(MemoryBitmap& destination, const MemoryBitmap& source,
                                                               int x, int y) {
    // 64-bit positions: a draw offset or a far position must not wrap into the picture.
    const int64_t px = static_cast<int64_t>(x) + source.offsetX;
    const int64_t py = static_cast<int64_t>(y) + source.offsetY;
    if (source.bpp != destination.bpp || !source.bits || !destination.bits || !destination.hdc ||
        px >= destination.width || py >= destination.height || px + source.width <= 0 || py + source.height <= 0)
        return;
    // The per-pixel step needs an alpha byte; a pair of 24-bit records is not blended.
    if (source.bpp != 32)
        return;

    const int64_t skippedColumns = px < 0 ? -px : 0;
    const int64_t skippedRows = py < 0 ? -py : 0;
    // At least 1 x 1 after the tests above, and no larger than the destination.
    const int columns = static_cast<int>(
        (px + source.width > destination.width ? destination.width - px : source.width) - skippedColumns);
    const int rows = static_cast<int>(
        (py + source.height > destination.height ? destination.height - py : source.height) - skippedRows);

    const int sourceStride = source.Stride();
    const int destinationStride = destination.Stride();
    const BYTE* sourceRow = source.bits + skippedRows * sourceStride + skippedColumns * 4;
    BYTE* destinationRow = destination.bits + (py + skippedRows) * destinationStride + (px + skippedColumns) * 4;
    const BlendLanes lanes;
    for (int row = 0; row < rows; ++row) {
        lanes.Row(destinationRow, sourceRow, columns);
        sourceRow += sourceStride;
        destinationRow += destinationStride;
    }
}
