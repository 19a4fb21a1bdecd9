// Memory bitmaps (creation, release) and the straight-alpha blend, checked against a plain
// scalar statement of the rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "GdiObjectCounter.h"
#include "SkinFixtures.h"
#include "skin/MemoryBitmap.h"

namespace {

using skintest::Bytes;
using skintest::PixelBytes;

// The blend rule, byte by byte, as plainly as it can be written.
uint8_t BlendByte(uint8_t source, uint8_t destination, uint8_t sourceAlpha) {
    const int weight = (sourceAlpha + 1) >> 1;
    return static_cast<uint8_t>(((source * weight) >> 7) + ((destination * (128 - weight)) >> 7));
}

// A 32-bit picture held as plain bytes, and what a blend must make of it: every destination
// pixel that a source pixel lands on is blended, every other stays as it was.
struct Picture {
    int width;
    int height;
    Bytes pixels;  // B, G, R, A, rows top-down without padding
};

Picture ReferenceBlend(Picture destination, const Picture& source, int64_t px, int64_t py) {
    for (int y = 0; y < destination.height; ++y)
        for (int x = 0; x < destination.width; ++x) {
            const int64_t sx = x - px, sy = y - py;
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height)
                continue;
            const char* s = &source.pixels[4 * (static_cast<size_t>(sy) * source.width + sx)];
            char* d = &destination.pixels[4 * (static_cast<size_t>(y) * destination.width + x)];
            for (int i = 0; i < 4; ++i)
                d[i] = static_cast<char>(
                    BlendByte(static_cast<uint8_t>(s[i]), static_cast<uint8_t>(d[i]), static_cast<uint8_t>(s[3])));
        }
    return destination;
}

void Fill(MemoryBitmap& bitmap, const Bytes& pixels) {
    ASSERT_NE(bitmap.bits, nullptr);
    const size_t rowBytes = static_cast<size_t>(bitmap.width) * bitmap.bpp / 8;
    ASSERT_EQ(pixels.size(), rowBytes * bitmap.height);
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(bitmap.bits + static_cast<size_t>(y) * bitmap.Stride(), pixels.data() + y * rowBytes, rowBytes);
}

Bytes RandomBytes(std::mt19937& random, size_t count) {
    Bytes bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

Bytes Pixel(int b, int g, int r, int a) {
    return Bytes{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), static_cast<char>(a)};
}

TEST(MemoryBitmap, NewRecordIsEmpty) {
    MemoryBitmap bitmap;
    EXPECT_EQ(bitmap.bpp, 0);
    EXPECT_EQ(bitmap.hdc, nullptr);
    EXPECT_EQ(bitmap.hbm, nullptr);
    EXPECT_EQ(bitmap.hbmOld, nullptr);
    EXPECT_EQ(bitmap.bits, nullptr);
    EXPECT_EQ(bitmap.width | bitmap.height | bitmap.dispWidth | bitmap.dispHeight | bitmap.offsetX | bitmap.offsetY, 0);
}

TEST(MemoryBitmap, Create32MakesATopDownSectionSelectedIntoItsOwnDc) {
    MemoryBitmap bitmap;
    bitmap.offsetX = 7;
    bitmap.offsetY = -2;
    bitmap.Create32(5, 3);
    EXPECT_EQ(bitmap.bpp, 32);
    EXPECT_EQ(bitmap.width, 5);
    EXPECT_EQ(bitmap.height, 3);
    EXPECT_EQ(bitmap.dispWidth, 5);
    EXPECT_EQ(bitmap.dispHeight, 3);
    EXPECT_EQ(bitmap.offsetX, 0);
    EXPECT_EQ(bitmap.offsetY, 0);
    ASSERT_NE(bitmap.bits, nullptr);
    ASSERT_NE(bitmap.hdc, nullptr);
    EXPECT_EQ(GetCurrentObject(bitmap.hdc, OBJ_BITMAP), bitmap.hbm);
    EXPECT_EQ(GetStretchBltMode(bitmap.hdc), COLORONCOLOR);
    EXPECT_EQ(GetObjectType(bitmap.hbmOld), static_cast<DWORD>(OBJ_BITMAP));

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.hbm, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 20);
    EXPECT_EQ(section.dsBm.bmBits, bitmap.bits);

    // Row 0 lies at bits: the rows are top-down. Pixels are B, G, R bytes in memory.
    std::memcpy(bitmap.bits, "\x01\x02\x03\x00", 4);
    std::memcpy(bitmap.bits + 2 * bitmap.Stride() + 4 * 4, "\x0A\x0B\x0C\x00", 4);
    GdiFlush();
    EXPECT_EQ(GetPixel(bitmap.hdc, 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(GetPixel(bitmap.hdc, 4, 2), RGB(0x0C, 0x0B, 0x0A));
}

TEST(MemoryBitmap, Create24PadsRowsAndKeepsTheDrawOffset) {
    MemoryBitmap bitmap;
    bitmap.offsetX = 4;
    bitmap.offsetY = 5;
    bitmap.Create24(3, 2);
    EXPECT_EQ(bitmap.bpp, 24);
    EXPECT_EQ(bitmap.offsetX, 4);
    EXPECT_EQ(bitmap.offsetY, 5);
    EXPECT_EQ(bitmap.Stride(), 12);  // 9 bytes of pixels brought up to a multiple of 4
    ASSERT_NE(bitmap.bits, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.hbm, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 12);
    std::memcpy(bitmap.bits + 12, "\x01\x02\x03", 3);
    GdiFlush();
    EXPECT_EQ(GetPixel(bitmap.hdc, 0, 1), RGB(3, 2, 1));

    MemoryBitmap narrow;
    narrow.Create24(1, 1);
    EXPECT_EQ(narrow.Stride(), 4);
}

TEST(MemoryBitmap, CreatingAgainReleasesWhatTheRecordHeld) {
    MemoryBitmap bitmap;
    bitmap.Create32(4, 4);
    const HDC firstDc = bitmap.hdc;
    const HBITMAP firstSection = bitmap.hbm;
    ASSERT_NE(firstSection, nullptr);
    bitmap.Create24(2, 2);
    EXPECT_EQ(GetObjectType(firstDc), 0u);
    EXPECT_EQ(GetObjectType(firstSection), 0u);
    EXPECT_NE(bitmap.bits, nullptr);
    EXPECT_EQ(bitmap.width, 2);
}

TEST(MemoryBitmap, DestructionDeletesTheDcAndTheSection) {
    HDC dc;
    HBITMAP section;
    {
        MemoryBitmap bitmap;
        bitmap.Create32(4, 4);
        dc = bitmap.hdc;
        section = bitmap.hbm;
        ASSERT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
        ASSERT_EQ(GetObjectType(section), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetObjectType(section), 0u);
}

enum class Refused { Nothing, DibSection, DeviceContext };

struct FailedCreation {
    const char* label;
    int bitsPerPixel;
    int width;
    int height;
    Refused refused;  // what GDI fails to make
};

class MemoryBitmapFailedCreation : public ::testing::TestWithParam<FailedCreation> {};

// A record that held a picture and whose new creation fails ends empty, with nothing left
// alive, so that every caller testing the width sees the failure.
TEST_P(MemoryBitmapFailedCreation, LeavesAnEmptyRecordAndNoDrawingObject) {
    const FailedCreation& c = GetParam();
    skintest::GdiObjectCounter gdi;
    ASSERT_TRUE(gdi.Installed());
    MemoryBitmap bitmap;
    bitmap.Create32(3, 3);
    ASSERT_NE(bitmap.bits, nullptr);
    gdi.RefuseDibSections(c.refused == Refused::DibSection);
    gdi.RefuseDeviceContexts(c.refused == Refused::DeviceContext);
    if (c.bitsPerPixel == 32)
        bitmap.Create32(c.width, c.height);
    else
        bitmap.Create24(c.width, c.height);
    EXPECT_EQ(bitmap.hdc, nullptr);
    EXPECT_EQ(bitmap.hbm, nullptr);
    EXPECT_EQ(bitmap.hbmOld, nullptr);
    EXPECT_EQ(bitmap.bits, nullptr);
    EXPECT_EQ(bitmap.bpp, 0);
    EXPECT_EQ(bitmap.width | bitmap.height | bitmap.dispWidth | bitmap.dispHeight, 0);
    EXPECT_EQ(gdi.LiveDibSections(), 0);
    EXPECT_EQ(gdi.LiveDeviceContexts(), 0);
    gdi.RefuseDibSections(false);
    gdi.RefuseDeviceContexts(false);

    // Such a record takes part in no blend, as source or as destination.
    MemoryBitmap other;
    other.Create32(2, 2);
    Fill(other, Bytes(16, '\x55'));
    AlphaBlendBitmap(other, bitmap, 0, 0);
    AlphaBlendBitmap(bitmap, other, 0, 0);
    EXPECT_EQ(PixelBytes(other), Bytes(16, '\x55'));
}

INSTANTIATE_TEST_SUITE_P(Causes, MemoryBitmapFailedCreation,
                         ::testing::Values(FailedCreation{"ZeroWidth", 32, 0, 5, Refused::Nothing},
                                           FailedCreation{"ZeroHeight", 32, 5, 0, Refused::Nothing},
                                           FailedCreation{"NegativeWidth", 32, -2, 3, Refused::Nothing},
                                           FailedCreation{"NegativeHeight", 24, 3, -2, Refused::Nothing},
                                           FailedCreation{"OverTwoGigabytes", 32, 40000, 20000, Refused::Nothing},
                                           FailedCreation{"RowBitsWrap", 32, 0x7FFFFFFF, 1, Refused::Nothing},
                                           FailedCreation{"NoDibSection32", 32, 4, 4, Refused::DibSection},
                                           FailedCreation{"NoDibSection24", 24, 4, 4, Refused::DibSection},
                                           FailedCreation{"NoDeviceContext32", 32, 4, 4, Refused::DeviceContext},
                                           FailedCreation{"NoDeviceContext24", 24, 4, 4, Refused::DeviceContext}),
                         [](const ::testing::TestParamInfo<FailedCreation>& info) { return info.param.label; });

struct BlendValue {
    const char* label;
    Bytes source;
    Bytes destination;
    Bytes expected;
};

class AlphaBlendValue : public ::testing::TestWithParam<BlendValue> {};

TEST_P(AlphaBlendValue, FollowsTheRule) {
    MemoryBitmap destination, source;
    destination.Create32(1, 1);
    source.Create32(1, 1);
    Fill(destination, GetParam().destination);
    Fill(source, GetParam().source);
    AlphaBlendBitmap(destination, source, 0, 0);
    EXPECT_EQ(PixelBytes(destination), GetParam().expected);
    EXPECT_EQ(PixelBytes(source), GetParam().source);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, AlphaBlendValue,
    ::testing::Values(
        BlendValue{"Alpha0KeepsTheDestination", Pixel(200, 100, 50, 0), Pixel(10, 20, 30, 255), Pixel(10, 20, 30, 255)},
        BlendValue{"Alpha255Copies", Pixel(200, 100, 50, 255), Pixel(10, 20, 30, 255), Pixel(200, 100, 50, 255)},
        BlendValue{"WhiteOverClear", Pixel(255, 255, 255, 255), Pixel(0, 0, 0, 0), Pixel(255, 255, 255, 255)},
        BlendValue{"Alpha128", Pixel(200, 100, 50, 128), Pixel(10, 20, 30, 255), Pixel(105, 60, 40, 191)},
        BlendValue{"Alpha128OverClear", Pixel(200, 100, 50, 128), Pixel(0, 0, 0, 0), Pixel(100, 50, 25, 64)},
        BlendValue{"Alpha128WhiteOverWhite", Pixel(255, 255, 255, 128), Pixel(255, 255, 255, 255),
                   Pixel(254, 254, 254, 191)},
        BlendValue{"Alpha127SameWeightAs128", Pixel(200, 100, 50, 127), Pixel(10, 20, 30, 255),
                   Pixel(105, 60, 40, 190)},
        BlendValue{"Alpha1Darkens", Pixel(200, 100, 50, 1), Pixel(10, 20, 30, 255), Pixel(10, 19, 29, 253)},
        BlendValue{"Alpha254IsNoCopy", Pixel(200, 100, 50, 254), Pixel(10, 20, 30, 255), Pixel(198, 99, 49, 253)},
        BlendValue{"Alpha64OverClear", Pixel(200, 100, 50, 64), Pixel(0, 0, 0, 0), Pixel(50, 25, 12, 16)}),
    [](const ::testing::TestParamInfo<BlendValue>& info) { return info.param.label; });

// Every source byte, source alpha and destination byte: 256 blends of 256 x 256 pixels, the
// source alpha running down the rows and the destination byte along the columns.
TEST(AlphaBlendBitmap, EqualsTheScalarRuleForEverySourceByteAlphaAndDestinationByte) {
    MemoryBitmap destination, source;
    destination.Create32(256, 256);
    source.Create32(256, 256);
    ASSERT_NE(destination.bits, nullptr);
    ASSERT_NE(source.bits, nullptr);
    Picture before{256, 256, Bytes(256 * 256 * 4, '\0')};
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            std::memcpy(&before.pixels[4 * (y * 256 + x)], Pixel(x, 255 - x, x ^ 0x5A, x).data(), 4);
    int mismatches = 0;
    for (int s = 0; s < 256; ++s) {
        Picture top{256, 256, Bytes(256 * 256 * 4, '\0')};
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                std::memcpy(&top.pixels[4 * (y * 256 + x)], Pixel(s, 255 - s, (s + 85) & 0xFF, y).data(), 4);
        Fill(destination, before.pixels);
        Fill(source, top.pixels);
        AlphaBlendBitmap(destination, source, 0, 0);
        if (PixelBytes(destination) != ReferenceBlend(before, top, 0, 0).pixels && ++mismatches <= 5)
            ADD_FAILURE() << "source colour byte " << s;
    }
    EXPECT_EQ(mismatches, 0);
}

struct Placement {
    const char* label;
    int destinationWidth, destinationHeight;
    int sourceWidth, sourceHeight;
    int offsetX, offsetY;
    int x, y;
};

class AlphaBlendPlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(AlphaBlendPlacement, ChangesExactlyTheCoveredPixels) {
    const Placement& p = GetParam();
    std::mt19937 random(7);
    Picture under{p.destinationWidth, p.destinationHeight,
                  RandomBytes(random, 4u * p.destinationWidth * p.destinationHeight)};
    Picture top{p.sourceWidth, p.sourceHeight, RandomBytes(random, 4u * p.sourceWidth * p.sourceHeight)};
    MemoryBitmap destination, source;
    destination.Create32(under.width, under.height);
    source.Create32(top.width, top.height);
    Fill(destination, under.pixels);
    Fill(source, top.pixels);
    source.offsetX = p.offsetX;
    source.offsetY = p.offsetY;
    AlphaBlendBitmap(destination, source, p.x, p.y);
    EXPECT_EQ(PixelBytes(destination),
              ReferenceBlend(under, top, int64_t{p.x} + p.offsetX, int64_t{p.y} + p.offsetY).pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Clipping, AlphaBlendPlacement,
    ::testing::Values(
        Placement{"Inside", 8, 6, 5, 4, 0, 0, 1, 1}, Placement{"LeftEdge", 8, 6, 5, 4, 0, 0, -3, 1},
        Placement{"TopEdge", 8, 6, 5, 4, 0, 0, 1, -2}, Placement{"RightEdge", 8, 6, 5, 4, 0, 0, 6, 1},
        Placement{"BottomEdge", 8, 6, 5, 4, 0, 0, 2, 4},
        Placement{"WiderAndTallerOnBothSides", 8, 6, 13, 11, 0, 0, -2, -3},
        Placement{"OnePixelAtTheBottomRight", 8, 6, 5, 4, 0, 0, 7, 5},
        Placement{"OnePixelAtTheTopLeft", 8, 6, 5, 4, 0, 0, -4, -3}, Placement{"JustLeftOfIt", 8, 6, 5, 4, 0, 0, -5, 0},
        Placement{"JustRightOfIt", 8, 6, 5, 4, 0, 0, 8, 0}, Placement{"JustAboveIt", 8, 6, 5, 4, 0, 0, 0, -4},
        Placement{"JustBelowIt", 8, 6, 5, 4, 0, 0, 0, 6}, Placement{"DrawOffsetMovesIt", 24, 4, 5, 4, 5, 0, 10, 0},
        Placement{"DrawOffsetIntoTheEdge", 8, 6, 5, 4, -3, 2, 1, 0},
        Placement{"FarPositionsDoNotWrap", 8, 6, 5, 4, 0x7FFFFFFF, 0, 0x7FFFFFFF, 0}),
    [](const ::testing::TestParamInfo<Placement>& info) { return info.param.label; });

TEST(AlphaBlendBitmap, SourceLeftOfTheEdgeStartsAtItsFourthColumn) {
    MemoryBitmap destination, source;
    destination.Create32(2, 1);
    source.Create32(5, 1);
    Fill(destination, Bytes(8, '\0'));
    Bytes columns;
    for (int i = 0; i < 5; ++i)
        columns += Pixel(10 * i, 0, 0, 255);
    Fill(source, columns);
    AlphaBlendBitmap(destination, source, -3, 0);
    EXPECT_EQ(PixelBytes(destination), Pixel(30, 0, 0, 255) + Pixel(40, 0, 0, 255));
}

// Random pictures and places, with clipping on every side and every width modulo 4, so that
// both the four-pixel steps and the single-pixel rest meet every edge.
TEST(AlphaBlendBitmap, EqualsTheScalarRuleOnRandomPicturesAndPlaces) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 400; ++round) {
        const int dw = 1 + random() % 37, dh = 1 + random() % 23, sw = 1 + random() % 41, sh = 1 + random() % 29;
        const int x = static_cast<int>(random() % (dw + sw + 8)) - sw - 4;
        const int y = static_cast<int>(random() % (dh + sh + 8)) - sh - 4;
        Picture under{dw, dh, RandomBytes(random, 4u * dw * dh)};
        Picture top{sw, sh, RandomBytes(random, 4u * sw * sh)};
        // Alpha 0 and 255 often, as in real skins.
        for (size_t i = 3; i < top.pixels.size(); i += 4)
            if (random() % 3 == 0)
                top.pixels[i] = random() % 2 ? '\xFF' : '\0';
        MemoryBitmap destination, source;
        destination.Create32(dw, dh);
        source.Create32(sw, sh);
        Fill(destination, under.pixels);
        Fill(source, top.pixels);
        AlphaBlendBitmap(destination, source, x, y);
        ASSERT_EQ(PixelBytes(destination), ReferenceBlend(under, top, x, y).pixels)
            << "round " << round << ": " << sw << "x" << sh << " at (" << x << ", " << y << ") onto " << dw << "x"
            << dh;
    }
}

TEST(AlphaBlendBitmap, DrawsNothingForA24BitSource) {
    MemoryBitmap surface, picture, other24;
    surface.Create32(4, 4);
    picture.Create24(4, 4);
    other24.Create24(4, 4);
    Fill(surface, Bytes(64, '\x11'));
    Fill(picture, Bytes(48, '\x77'));
    Fill(other24, Bytes(48, '\x22'));
    AlphaBlendBitmap(surface, picture, 0, 0);
    EXPECT_EQ(PixelBytes(surface), Bytes(64, '\x11'));
    // A pair of 24-bit records has no alpha to weigh by and is not blended either.
    AlphaBlendBitmap(other24, picture, 0, 0);
    EXPECT_EQ(PixelBytes(other24), Bytes(48, '\x22'));
}

TEST(AlphaBlendBitmap, DrawsNothingWithAnEmptyRecord) {
    MemoryBitmap surface, empty;
    surface.Create32(2, 2);
    Fill(surface, Bytes(16, '\x33'));
    AlphaBlendBitmap(surface, empty, 0, 0);
    AlphaBlendBitmap(empty, surface, 0, 0);
    EXPECT_EQ(PixelBytes(surface), Bytes(16, '\x33'));
}

// A destination with pixels but without its device context is no whole bitmap: nothing is drawn.
TEST(AlphaBlendBitmap, DrawsNothingOntoADestinationWithoutItsDeviceContext) {
    MemoryBitmap surface, picture;
    surface.Create32(2, 2);
    picture.Create32(2, 2);
    Fill(surface, Bytes(16, '\x33'));
    Fill(picture, Bytes(16, '\xFF'));
    const HDC dc = surface.hdc;
    surface.hdc = nullptr;
    AlphaBlendBitmap(surface, picture, 0, 0);
    surface.hdc = dc;
    EXPECT_EQ(PixelBytes(surface), Bytes(16, '\x33'));
}

}  // namespace
