// Image decoding: every PNG kind into 32-bit B, G, R, A bitmaps, 24- and 32-bit BMP rows, the
// path rules, and refusals that leave the target as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "GdiObjectCounter.h"
#include "LargestAllocation.h"
#include "SkinFixtures.h"
#include "TestSupport.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

using skintest::Bytes;
using skintest::BytesOf;
using skintest::PixelBytes;

class SkinImageTest : public ::testing::Test {
protected:
    void TearDown() override { ReleaseSkinPack(); }

    void LoadPackage(const std::vector<skintest::PackEntry>& entries) {
        ASSERT_EQ(file_.Load(skintest::BuildPackage(entries)), 1);
    }

    skintest::PackageFile file_;
};

// R, G, B, A pixels as B, G, R, A bytes, the order of the bitmap.
Bytes RgbaToBgra(const Bytes& rgba) {
    Bytes bgra = rgba;
    for (size_t i = 0; i + 3 < bgra.size(); i += 4)
        std::swap(bgra[i], bgra[i + 2]);
    return bgra;
}

// --- PNG kinds -------------------------------------------------------------------------------

class SkinPngKind : public SkinImageTest, public ::testing::WithParamInterface<skintest::PngKind> {};

TEST_P(SkinPngKind, DecodesToStraightAlphaBgraRows) {
    // 9 x 7 pictures give every pass of an interlaced image some pixels.
    const skintest::PngSample sample = skintest::MakeSample(GetParam(), 9, 7);
    LoadPackage({{"Picture.png", skintest::EncodePng(sample.picture)}});
    MemoryBitmap bitmap;
    ASSERT_EQ(LoadSkinBitmap(L"img\\Picture.png", bitmap), 1);
    EXPECT_EQ(bitmap.bpp, 32);
    EXPECT_EQ(bitmap.width, 9);
    EXPECT_EQ(bitmap.height, 7);
    EXPECT_EQ(bitmap.dispWidth, 9);
    EXPECT_EQ(bitmap.dispHeight, 7);
    EXPECT_EQ(bitmap.offsetX | bitmap.offsetY, 0);
    EXPECT_EQ(PixelBytes(bitmap), RgbaToBgra(sample.expectedRgba));
}

// Grey, 16-bit and interlaced kinds are transformed to the same rows as the others.
INSTANTIATE_TEST_SUITE_P(Kinds, SkinPngKind, ::testing::ValuesIn(skintest::AllPngKinds()),
                         [](const ::testing::TestParamInfo<skintest::PngKind>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(SkinImageTest, DecoderGivesRgbaRowsAndReports32Bits) {
    LoadPackage({{"p.png", skintest::EncodePng(skintest::RgbaPicture(2, 1, {10, 20, 30, 40, 1, 2, 3, 255}))}});
    int width = 0, height = 0, bitsPerPixel = 0;
    unsigned char* pixels = DecodeSkinPng(g_pSkinPack, g_nSkinPackSize, "P.PNG", &width, &height, &bitsPerPixel);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(bitsPerPixel, 32);
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(pixels), 8), BytesOf({10, 20, 30, 40, 1, 2, 3, 255}));
    std::free(pixels);

    // In the bitmap the same pixel sits as 30, 20, 10, 40.
    MemoryBitmap bitmap;
    ASSERT_EQ(LoadSkinBitmap(L"p.png", bitmap), 1);
    EXPECT_EQ(PixelBytes(bitmap), BytesOf({30, 20, 10, 40, 3, 2, 1, 255}));
}

// --- refused PNG entries ---------------------------------------------------------------------

const Bytes kGoodPng = skintest::EncodePng(skintest::RgbaPicture(3, 2, std::vector<uint8_t>(24, 0x80)));

Bytes Damaged(Bytes bytes, size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

struct BadPng {
    const char* label;
    Bytes entry;
};

class SkinPngRefused : public SkinImageTest, public ::testing::WithParamInterface<BadPng> {};

// What the C runtime's standard error receives while the object lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        std::fflush(stderr);
        saved_ = _dup(2);
        const int file = _wopen(folder_.File(L"stderr.txt").c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY,
                                _S_IREAD | _S_IWRITE);
        _dup2(file, 2);
        _close(file);
    }
    ~StandardErrorCapture() { Restore(); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string Text() {
        Restore();
        return testsupport::WideToUtf8(testsupport::ReadWholeFile(folder_.File(L"stderr.txt")));
    }

private:
    void Restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        _dup2(saved_, 2);
        _close(saved_);
        saved_ = -1;
    }

    testsupport::TempFolder folder_;
    int saved_ = -1;
};

TEST_P(SkinPngRefused, FailsQuietlyAndLeavesTheOutputsAlone) {
    LoadPackage({{"Bad.png", GetParam().entry}});
    StandardErrorCapture errors;
    int width = -1, height = -2, bitsPerPixel = -3;
    EXPECT_EQ(DecodeSkinPng(g_pSkinPack, g_nSkinPackSize, "Bad.png", &width, &height, &bitsPerPixel), nullptr);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -2);
    EXPECT_EQ(bitsPerPixel, -3);
    MemoryBitmap bitmap;
    EXPECT_EQ(LoadSkinBitmap(L"img\\Bad.png", bitmap), 0);
    EXPECT_EQ(bitmap.hdc, nullptr);  // the target was never touched
    EXPECT_EQ(bitmap.width, 0);
    EXPECT_EQ(errors.Text(), "");  // the refusal is the result alone
}

// Cut entries end inside what libpng asks for: the read function must end the decode.
INSTANTIATE_TEST_SUITE_P(
    Entries, SkinPngRefused,
    ::testing::Values(BadPng{"Empty", ""}, BadPng{"NotAPng", "GIF89a\x01\x00\x01\x00"},
                      BadPng{"ThreeBytes", kGoodPng.substr(0, 3)}, BadPng{"SignatureOnly", kGoodPng.substr(0, 8)},
                      BadPng{"CutInTheHeader", kGoodPng.substr(0, 20)},
                      BadPng{"CutInTheImageData", kGoodPng.substr(0, kGoodPng.size() - 20)},
                      BadPng{"CutBeforeTheEndChunk", kGoodPng.substr(0, kGoodPng.size() - 12)},
                      BadPng{"SecondHalfOfTheSignature", Damaged(kGoodPng, 5, 'X')},
                      BadPng{"HeaderChecksum", Damaged(kGoodPng, 17, '\x7F')},
                      BadPng{"BmpUnderAPngName", skintest::EncodeBmp({1, 1, 24, 0, 54}, Bytes(4, '\0'))}),
    [](const ::testing::TestParamInfo<BadPng>& info) { return std::string(info.param.label); });

// Reads `length` bytes through the read function that the decoder gives libpng; false when
// that ended in a libpng error. Nothing here needs clean-up across the long jump.
bool ReadThroughLibpng(png_structp png, png_bytep data, size_t length) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    SkinPackPngRead(png, data, length);
    return true;
}

TEST_F(SkinImageTest, ReadFunctionRaisesALibpngErrorWhenTheEntryEndsEarly) {
    LoadPackage({{"e.png", "0123456789"}});
    SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "e.png");
    ASSERT_NE(stream, nullptr);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    ASSERT_NE(png, nullptr);
    png_set_read_fn(png, stream, SkinPackPngRead);
    png_byte buffer[8] = {};
    EXPECT_TRUE(ReadThroughLibpng(png, buffer, 4));
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(buffer), 4), "0123");
    EXPECT_TRUE(ReadThroughLibpng(png, buffer, 4));
    EXPECT_FALSE(ReadThroughLibpng(png, buffer, 4));  // 2 bytes left
    EXPECT_FALSE(ReadThroughLibpng(png, buffer, 1));  // at the end
    png_destroy_read_struct(&png, nullptr, nullptr);
    std::free(stream);
}

// --- BMP entries -----------------------------------------------------------------------------

TEST_F(SkinImageTest, Bmp24RowsArePaddedAndFlipped) {
    // Three pixels a row: 9 bytes brought up to 12. Stored bottom row first.
    const Bytes bottom = BytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE});
    const Bytes top = BytesOf({11, 12, 13, 14, 15, 16, 17, 18, 19, 0xDD, 0xDD, 0xDD});
    LoadPackage({{"Wide.bmp", skintest::EncodeBmp({3, 2, 24, 0, 54}, bottom + top)},
                 {"Narrow.bmp", skintest::EncodeBmp({1, 2, 24, 0, 54}, BytesOf({1, 2, 3, 0, 4, 5, 6, 0}))}});
    // A 24-bit creation keeps the draw offset; the load sets it to none, as for every picture.
    MemoryBitmap wide;
    wide.offsetX = 3;
    wide.offsetY = -1;
    ASSERT_EQ(LoadSkinBitmap(L"img\\Wide.bmp", wide), 1);
    EXPECT_EQ(wide.bpp, 24);
    EXPECT_EQ(wide.offsetX, 0);
    EXPECT_EQ(wide.offsetY, 0);
    EXPECT_EQ(wide.width, 3);
    EXPECT_EQ(wide.height, 2);
    EXPECT_EQ(wide.Stride(), 12);
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(wide.bits), 24), top + bottom);

    MemoryBitmap narrow;
    ASSERT_EQ(LoadSkinBitmap(L"img\\Narrow.bmp", narrow), 1);
    EXPECT_EQ(narrow.Stride(), 4);
    EXPECT_EQ(PixelBytes(narrow), BytesOf({4, 5, 6, 1, 2, 3}));
}

TEST_F(SkinImageTest, Bmp32KeepsTheFourthByteAsAlpha) {
    // The pixel rows start after a gap: bfOffBits decides where.
    const Bytes gap(6, '\x99');
    const Bytes rows = BytesOf({1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 64});
    Bytes file = skintest::EncodeBmp({2, 2, 32, 0, 60}, gap + rows);
    LoadPackage({{"Alpha.bmp", file}});
    MemoryBitmap bitmap;
    bitmap.offsetX = 3;
    ASSERT_EQ(LoadSkinBitmap(L"Alpha.BMP", bitmap), 1);
    EXPECT_EQ(bitmap.bpp, 32);
    EXPECT_EQ(bitmap.dispWidth, 2);
    EXPECT_EQ(bitmap.dispHeight, 2);
    EXPECT_EQ(bitmap.offsetX, 0);
    EXPECT_EQ(PixelBytes(bitmap), rows.substr(8) + rows.substr(0, 8));
}

TEST_F(SkinImageTest, BmpWithNegativeHeightKeepsItsTopDownRows) {
    const Bytes rows = BytesOf({1, 2, 3, 0, 4, 5, 6, 0});
    LoadPackage({{"TopDown.bmp", skintest::EncodeBmp({1, -2, 24, 0, 54}, rows)}});
    MemoryBitmap bitmap;
    ASSERT_EQ(LoadSkinBitmap(L"TopDown.bmp", bitmap), 1);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(PixelBytes(bitmap), BytesOf({1, 2, 3, 4, 5, 6}));
}

struct BadBmp {
    const char* label;
    skintest::BmpHeader header;
    size_t rowBytes;
};

class SkinBmpRefused : public SkinImageTest, public ::testing::WithParamInterface<BadBmp> {};

TEST_P(SkinBmpRefused, FailsWithoutTouchingTheTarget) {
    LoadPackage({{"Bad.bmp", skintest::EncodeBmp(GetParam().header, Bytes(GetParam().rowBytes, '\x5A'))}});
    MemoryBitmap bitmap;
    EXPECT_EQ(LoadSkinBitmap(L"Bad.bmp", bitmap), 0);
    EXPECT_EQ(bitmap.hdc, nullptr);
    EXPECT_EQ(bitmap.width, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, SkinBmpRefused,
    ::testing::Values(BadBmp{"EightBits", {4, 4, 8, 0, 54}, 16}, BadBmp{"SixteenBits", {4, 4, 16, 0, 54}, 32},
                      BadBmp{"BitFields32", {4, 4, 32, 3, 54}, 64}, BadBmp{"Rle24", {4, 4, 24, 1, 54}, 48},
                      BadBmp{"WidthZero", {0, 4, 24, 0, 54}, 16}, BadBmp{"WidthNegative", {-1, 4, 24, 0, 54}, 16},
                      BadBmp{"HeightZero", {4, 0, 24, 0, 54}, 16},
                      BadBmp{"HeightMostNegative", {1, INT32_MIN, 24, 0, 54}, 16},
                      BadBmp{"NegativePixelOffset", {1, 1, 24, 0, -4}, 4},
                      BadBmp{"PixelOffsetPastTheEnd", {1, 1, 24, 0, 0x7FFFFFFF}, 4},
                      BadBmp{"LastRowOneByteShort", {3, 2, 24, 0, 54}, 23},
                      // A 32-bit stride of 2^32 bytes wraps to 0 in 32 bits.
                      BadBmp{"StrideWraps", {0x40000000, 1, 32, 0, 54}, 16},
                      // 65537 rows of 65536 bytes wrap to 65536 bytes in 32 bits.
                      BadBmp{"RowsTimesStrideWraps", {0x4000, 0x10001, 32, 0, 54}, 0x10000}),
    [](const ::testing::TestParamInfo<BadBmp>& info) { return std::string(info.param.label); });

TEST_F(SkinImageTest, BmpShorterThanItsHeaderFieldsIsRefused) {
    const Bytes header = skintest::EncodeBmp({1, 1, 24, 0, 0}, "");
    LoadPackage({{"Short.bmp", header.substr(0, 31)}, {"Enough.bmp", header.substr(0, 32)}});
    MemoryBitmap bitmap;
    EXPECT_EQ(LoadSkinBitmap(L"Short.bmp", bitmap), 0);
    // With bfOffBits 0 the 4 bytes of the only row lie inside the 32 bytes.
    EXPECT_EQ(LoadSkinBitmap(L"Enough.bmp", bitmap), 1);
}

// --- paths -----------------------------------------------------------------------------------

struct PathCase {
    const char* label;
    std::wstring path;
    int result;
};

class SkinImagePath : public SkinImageTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(SkinImagePath, ChoosesTheFormatAndTheEntryFromThePath) {
    const Bytes png = skintest::EncodePng(skintest::RgbaPicture(1, 1, {1, 2, 3, 4}));
    const Bytes bmp = skintest::EncodeBmp({1, 1, 24, 0, 54}, Bytes(4, '\x10'));
    LoadPackage({{"LeftBg.PNG", png},
                 {"pic.Bmp", bmp},
                 {"LeftBgpng", png},
                 {"x.jpg", png},
                 {"a/b.png", png},
                 {"ng", png},
                 {"png", png},
                 {std::string(27, 'L') + ".png", png},
                 {std::string(28, 'X') + ".png", png}});
    MemoryBitmap bitmap;
    EXPECT_EQ(LoadSkinBitmap(GetParam().path.c_str(), bitmap), GetParam().result);
    EXPECT_EQ(bitmap.bits != nullptr, GetParam().result == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SkinImagePath,
    ::testing::Values(PathCase{"FolderAndName", L"img\\LeftBg.PNG", 1}, PathCase{"NameAlone", L"LeftBg.PNG", 1},
                      PathCase{"DeepFolderOtherCase", L"C:\\skins\\img\\leftbg.png", 1},
                      PathCase{"MixedCaseSuffix", L"img\\LeftBg.pNg", 1}, PathCase{"BmpSuffix", L"img\\pic.Bmp", 1},
                      PathCase{"NoDotNeeded", L"img\\LeftBgpng", 1}, PathCase{"OtherSuffix", L"img\\x.jpg", 0},
                      PathCase{"ThreeCharactersAreEnough", L"png", 1}, PathCase{"TwoCharacters", L"ng", 0},
                      PathCase{"EmptyPath", L"", 0}, PathCase{"ForwardSlashIsPartOfTheName", L"img\\a/b.png", 1},
                      PathCase{"ForwardSlashFolderIsNotStripped", L"img/a/b.png", 0},
                      PathCase{"MissingEntry", L"img\\Nothing.png", 0},
                      PathCase{"NameOf31Bytes", L"img\\" + std::wstring(27, L'L') + L".png", 1},
                      PathCase{"NameOf32BytesIsTooLong", L"img\\" + std::wstring(28, L'X') + L".png", 0}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.label); });

TEST_F(SkinImageTest, NothingLoadsWithoutAPackage) {
    LoadPackage({{"up2.png", skintest::EncodePng(skintest::RgbaPicture(1, 1, {1, 2, 3, 4}))}});
    MemoryBitmap bitmap;
    EXPECT_EQ(LoadSkinBitmap(nullptr, bitmap), 0);
    ReleaseSkinPack();
    EXPECT_EQ(LoadSkinBitmap(L"image\\up2.png", bitmap), 0);
    EXPECT_EQ(bitmap.hdc, nullptr);
}

TEST_F(SkinImageTest, FailedLoadLeavesTheOlderPictureInPlace) {
    LoadPackage({{"Good.png", skintest::EncodePng(skintest::RgbaPicture(2, 1, {1, 2, 3, 4, 5, 6, 7, 8}))},
                 {"Cut.png", kGoodPng.substr(0, kGoodPng.size() - 20)},
                 {"Bad.bmp", skintest::EncodeBmp({4, 4, 8, 0, 54}, Bytes(16, '\0'))}});
    MemoryBitmap bitmap;
    ASSERT_EQ(LoadSkinBitmap(L"img\\Good.png", bitmap), 1);
    const HBITMAP section = bitmap.hbm;
    const Bytes pixels = PixelBytes(bitmap);
    for (const wchar_t* path : {L"img\\Cut.png", L"img\\Bad.bmp", L"img\\Missing.png", L"img\\Good.gif"}) {
        SCOPED_TRACE(testsupport::WideToUtf8(path));
        EXPECT_EQ(LoadSkinBitmap(path, bitmap), 0);
        EXPECT_EQ(bitmap.hbm, section);
        EXPECT_EQ(bitmap.width, 2);
        EXPECT_EQ(PixelBytes(bitmap), pixels);
    }
}

// --- sizes no skin needs ----------------------------------------------------------------------

void PutBigEndian32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
    PutBigEndian32(png, static_cast<uint32_t>(data.size()));
    const Bytes typed = type + data;
    png += typed;
    PutBigEndian32(png, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
}

// A PNG header declaring an RGBA picture of the size given, followed by the image data of its
// first row only: enough for a decoder without a bound to take the memory of the whole picture.
Bytes DeclaredPng(uint32_t width, uint32_t height) {
    Bytes png = "\x89PNG\r\n\x1A\n";
    Bytes header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header += Bytes("\x08\x06\x00\x00\x00", 5);
    PutChunk(png, "IHDR", header);
    const Bytes row(1 + 4 * static_cast<size_t>(width), '\0');
    uLongf packedSize = compressBound(static_cast<uLong>(row.size()));
    Bytes packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(row.data()),
             static_cast<uLong>(row.size()));
    PutChunk(png, "IDAT", packed.substr(0, packedSize));
    PutChunk(png, "IEND", "");
    return png;
}

Bytes WholePng(int width, int height) {
    return skintest::EncodePng(skintest::RgbaPicture(width, height, std::vector<uint8_t>(4 * width * height, 7)));
}

Bytes WholeBmp(int width, int height) {
    return skintest::EncodeBmp({width, height, 24, 0, 54}, Bytes(((3 * width + 3) & ~3) * height, '\x07'));
}

struct SizeCase {
    const char* label;
    const wchar_t* path;
    Bytes entry;
    int width;  // of the loaded picture; 0 when it is refused
    int height;
};

class SkinImageSize : public SkinImageTest, public ::testing::WithParamInterface<SizeCase> {};

// A refused picture takes no pixel memory: nothing near its declared size is asked of the heap,
// and the load leaves neither heap blocks nor drawing objects behind.
TEST_P(SkinImageSize, BeyondTheBoundIsRefusedBeforeAnyPixelMemoryIsTaken) {
    const SizeCase& c = GetParam();
    LoadPackage({{"Picture.png", c.entry}, {"Picture.bmp", c.entry}});
    MemoryBitmap bitmap;
    const int heapBefore = skintest::UsedHeapBlocks();
    int result;
    size_t largest;
    int sections, deviceContexts;
    {
        skintest::GdiObjectCounter gdi;
        skintest::LargestAllocation allocation;
        ASSERT_TRUE(gdi.Installed());
        ASSERT_TRUE(allocation.Installed());
        result = LoadSkinBitmap(c.path, bitmap);
        largest = allocation.Bytes();
        sections = gdi.LiveDibSections();
        deviceContexts = gdi.LiveDeviceContexts();
    }
    if (c.width != 0) {
        ASSERT_EQ(result, 1);
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(bitmap.height, c.height);
        return;
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(bitmap.hdc, nullptr);
    EXPECT_EQ(bitmap.width, 0);
    EXPECT_LT(largest, size_t{1} << 20) << "memory was taken for the declared pixels";
    EXPECT_EQ(sections, 0);
    EXPECT_EQ(deviceContexts, 0);
    EXPECT_EQ(skintest::UsedHeapBlocks(), heapBefore);
}

INSTANTIATE_TEST_SUITE_P(Pictures, SkinImageSize,
                         ::testing::Values(SizeCase{"Png30000x20000", L"Picture.png", DeclaredPng(30000, 20000), 0, 0},
                                           SizeCase{"Png16384x16384", L"Picture.png", DeclaredPng(16384, 16384), 0, 0},
                                           SizeCase{"PngWidthAtTheBound", L"Picture.png", WholePng(4096, 1), 4096, 1},
                                           SizeCase{"PngWidthPastTheBound", L"Picture.png", WholePng(4097, 1), 0, 0},
                                           SizeCase{"PngHeightAtTheBound", L"Picture.png", WholePng(1, 4096), 1, 4096},
                                           SizeCase{"PngHeightPastTheBound", L"Picture.png", WholePng(1, 4097), 0, 0},
                                           SizeCase{"BmpWidthAtTheBound", L"Picture.bmp", WholeBmp(4096, 1), 4096, 1},
                                           SizeCase{"BmpWidthPastTheBound", L"Picture.bmp", WholeBmp(4097, 1), 0, 0},
                                           SizeCase{"BmpHeightPastTheBound", L"Picture.bmp", WholeBmp(1, 4097), 0, 0}),
                         [](const ::testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.label); });

// --- a bitmap that cannot be made ------------------------------------------------------------

struct RefusedCreation {
    const char* label;
    const wchar_t* path;
    bool noDibSection;
    bool noDeviceContext;
};

class SkinImageWithoutGdi : public SkinImageTest, public ::testing::WithParamInterface<RefusedCreation> {};

// When GDI cannot make the bitmap, the load fails and the record is left empty, so that the
// caller that tests the width sees the failure; the older picture is gone and nothing leaks.
TEST_P(SkinImageWithoutGdi, FailsAndLeavesAnEmptyRecord) {
    const RefusedCreation& c = GetParam();
    LoadPackage({{"Picture.png", WholePng(3, 2)}, {"Picture.bmp", WholeBmp(3, 2)}});
    MemoryBitmap bitmap;
    skintest::GdiObjectCounter gdi;
    ASSERT_TRUE(gdi.Installed());
    ASSERT_EQ(LoadSkinBitmap(c.path, bitmap), 1);
    const int heapBefore = skintest::UsedHeapBlocks();
    gdi.RefuseDibSections(c.noDibSection);
    gdi.RefuseDeviceContexts(c.noDeviceContext);
    EXPECT_EQ(LoadSkinBitmap(c.path, bitmap), 0);
    EXPECT_EQ(bitmap.width | bitmap.height | bitmap.dispWidth | bitmap.dispHeight | bitmap.bpp, 0);
    EXPECT_EQ(bitmap.hdc, nullptr);
    EXPECT_EQ(bitmap.hbm, nullptr);
    EXPECT_EQ(bitmap.bits, nullptr);
    EXPECT_EQ(gdi.LiveDibSections(), 0);
    EXPECT_EQ(gdi.LiveDeviceContexts(), 0);
    EXPECT_EQ(skintest::UsedHeapBlocks(), heapBefore);
}

INSTANTIATE_TEST_SUITE_P(Failures, SkinImageWithoutGdi,
                         ::testing::Values(RefusedCreation{"PngNoDibSection", L"Picture.png", true, false},
                                           RefusedCreation{"PngNoDeviceContext", L"Picture.png", false, true},
                                           RefusedCreation{"BmpNoDibSection", L"Picture.bmp", true, false},
                                           RefusedCreation{"BmpNoDeviceContext", L"Picture.bmp", false, true}),
                         [](const ::testing::TestParamInfo<RefusedCreation>& info) { return info.param.label; });

}  // namespace
