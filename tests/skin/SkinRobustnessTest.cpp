// Damaged packages: thousands of seeded mutations and truncations of a package that holds every
// kind of picture the loaders take. Each load either succeeds with a consistent bitmap or fails
// and leaves the target as it was; pictures that the damage did not reach load as before; and
// nothing leaks, neither heap blocks nor device contexts nor DIB sections.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "GdiObjectCounter.h"
#include "SkinFixtures.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

using skintest::Bytes;

constexpr int kCases = 4000;
constexpr uint32_t kSeed = 20261210;

uint32_t ReadBigEndian32(const Bytes& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 | static_cast<uint8_t>(bytes[at + 3]);
}

void WriteLittleEndian32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void WriteBigEndian32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// What each loaded picture is checked by: a hash over every pixel byte of every row.
uint32_t PixelHash(const MemoryBitmap& bitmap) {
    if (!bitmap.bits)
        return 0;
    uint32_t hash = 2166136261u;
    const size_t rowBytes = static_cast<size_t>(bitmap.width) * bitmap.bpp / 8;
    for (int y = 0; y < bitmap.height; ++y) {
        const BYTE* row = bitmap.bits + static_cast<size_t>(y) * bitmap.Stride();
        for (size_t i = 0; i < rowBytes; ++i)
            hash = (hash ^ row[i]) * 16777619u;
    }
    return hash;
}

// A loaded picture: a top-down DIB section of its own size and depth, selected into its own
// device context, every row readable.
void ExpectConsistent(const MemoryBitmap& bitmap) {
    ASSERT_TRUE(bitmap.bpp == 24 || bitmap.bpp == 32) << bitmap.bpp;
    ASSERT_NE(bitmap.bits, nullptr);
    ASSERT_GE(bitmap.width, 1);
    ASSERT_GE(bitmap.height, 1);
    EXPECT_EQ(bitmap.dispWidth, bitmap.width);
    EXPECT_EQ(bitmap.dispHeight, bitmap.height);
    EXPECT_EQ(bitmap.offsetX | bitmap.offsetY, 0);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.hbm, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, bitmap.width);
    EXPECT_EQ(section.dsBm.bmHeight, bitmap.height);
    EXPECT_EQ(section.dsBm.bmBitsPixel, bitmap.bpp);
    EXPECT_EQ(section.dsBm.bmWidthBytes, bitmap.Stride());
    EXPECT_EQ(section.dsBm.bmBits, bitmap.bits);
    EXPECT_EQ(GetCurrentObject(bitmap.hdc, OBJ_BITMAP), bitmap.hbm);
}

struct Entry {
    std::wstring path;
    size_t start, end;  // bytes of the package
    uint32_t hash;      // of the picture it loads undamaged
    bool png;
};

// The undamaged package: every PNG kind, and 24-bit, 32-bit and top-down BMP entries.
class Package {
public:
    Package() {
        std::vector<skintest::PackEntry> entries;
        for (const skintest::PngKind& kind : skintest::AllPngKinds())
            entries.push_back(
                {std::string(kind.label) + ".png", skintest::EncodePng(skintest::MakeSample(kind, 6, 5).picture)});
        std::mt19937 random(1);
        auto rows = [&](size_t size) {
            Bytes bytes(size, '\0');
            for (char& byte : bytes)
                byte = static_cast<char>(random());
            return bytes;
        };
        entries.push_back({"Rgb24.bmp", skintest::EncodeBmp({5, 3, 24, 0, 54}, rows(16 * 3))});
        entries.push_back({"Argb32.bmp", skintest::EncodeBmp({3, 4, 32, 0, 54}, rows(12 * 4))});
        entries.push_back({"TopDown24.bmp", skintest::EncodeBmp({2, -3, 24, 0, 54}, rows(8 * 3))});
        bytes = skintest::BuildPackage(entries);
        dataStart = 4 + 40 * entries.size();
        size_t offset = dataStart;
        for (const skintest::PackEntry& entry : entries) {
            const bool png = entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".png") == 0;
            this->entries.push_back(
                {L"img\\" + testsupport::Utf8ToWide(entry.name), offset, offset + entry.content.size(), 0, png});
            offset += entry.content.size();
        }
    }

    Bytes bytes;
    size_t dataStart;
    std::vector<Entry> entries;
};

// The bytes a mutation changed, [from, to); to is the end of the package when what follows
// moved or went.
struct Damage {
    size_t from, to;
};

class Mutator {
public:
    Mutator(const Package& package, uint32_t seed) : package_(package), random_(seed) {}

    Damage Mutate(Bytes& bytes) {
        switch (random_() % 7) {
            case 0:
                return FlipBits(bytes);
            case 1:
                return SetBytes(bytes);
            case 2:
                return Truncate(bytes);
            case 3:
                return CutOut(bytes);
            case 4:
                return DirectoryField(bytes);
            case 5:
                return PngChunkWithChecksum(bytes);
            default:
                return BmpHeaderField(bytes);
        }
    }

private:
    size_t Below(size_t limit) { return limit ? random_() % limit : 0; }

    uint32_t Extreme(uint32_t typical) {
        const uint32_t values[] = {0,
                                   1,
                                   0xFFFFFFFFu,
                                   0x7FFFFFFFu,
                                   0x80000000u,
                                   0x40000000u,
                                   0x10001u,
                                   typical,
                                   typical + 1,
                                   typical - 1,
                                   static_cast<uint32_t>(random_())};
        return values[Below(sizeof(values) / sizeof(values[0]))];
    }

    const Entry& AnyEntry(bool png) {
        for (;;) {
            const Entry& entry = package_.entries[Below(package_.entries.size())];
            if (entry.png == png)
                return entry;
        }
    }

    Damage FlipBits(Bytes& bytes) {
        Damage damage{bytes.size(), 0};
        for (size_t n = 1 + Below(4); n > 0; --n) {
            const size_t at = Below(bytes.size());
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << Below(8)));
            damage = {std::min(damage.from, at), std::max(damage.to, at + 1)};
        }
        return damage;
    }

    Damage SetBytes(Bytes& bytes) {
        const char values[] = {'\0', '\xFF', '\x7F', '\x80', static_cast<char>(random_())};
        const size_t at = Below(bytes.size() - 4);
        const size_t count = 1 + Below(4);
        for (size_t i = 0; i < count; ++i)
            bytes[at + i] = values[Below(sizeof(values))];
        return {at, at + count};
    }

    Damage Truncate(Bytes& bytes) {
        bytes.resize(Below(bytes.size()));
        return {bytes.size(), SIZE_MAX};
    }

    Damage CutOut(Bytes& bytes) {
        const size_t at = package_.dataStart + Below(bytes.size() - package_.dataStart - 64);
        bytes.erase(at, 1 + Below(64));
        return {at, SIZE_MAX};
    }

    Damage DirectoryField(Bytes& bytes) {
        const size_t records = package_.entries.size();
        if (Below(4) == 0) {
            WriteLittleEndian32(bytes, 0, Extreme(static_cast<uint32_t>(records)));
            return {0, 4};
        }
        const size_t at = 4 + 40 * Below(records) + 32 + 4 * Below(2);
        WriteLittleEndian32(bytes, at, Extreme(static_cast<uint32_t>(bytes.size() - package_.dataStart)));
        return {at, at + 4};
    }

    // Changes a byte inside one chunk of a PNG entry and mends the chunk's checksum, so that
    // libpng takes the damaged header, palette, transparency or image data as valid.
    Damage PngChunkWithChecksum(Bytes& bytes) {
        const Entry& entry = AnyEntry(true);
        std::vector<size_t> chunks;
        for (size_t at = entry.start + 8; at + 12 <= entry.end; at += 12 + ReadBigEndian32(bytes, at))
            chunks.push_back(at);
        const size_t chunk = chunks[Below(chunks.size())];
        const uint32_t length = ReadBigEndian32(bytes, chunk);
        if (length == 0)
            return {chunk, chunk};
        const size_t at = chunk + 8 + Below(length);
        bytes[at] = Below(2) ? static_cast<char>(random_()) : static_cast<char>(bytes[at] ^ (1 << Below(8)));
        const uint32_t checksum =
            crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + chunk + 4), static_cast<uInt>(4 + length));
        WriteBigEndian32(bytes, chunk + 8 + length, checksum);
        return {at, chunk + 12 + length};
    }

    Damage BmpHeaderField(Bytes& bytes) {
        const Entry& entry = AnyEntry(false);
        const size_t fields[] = {10, 18, 22, 28};
        const size_t at = entry.start + fields[Below(4)];
        WriteLittleEndian32(bytes, at, Extreme(static_cast<uint32_t>(entry.end - entry.start)));
        return {at, at + 4};
    }

    const Package& package_;
    std::mt19937 random_;
};

struct Tally {
    int loaded = 0;
    int refused = 0;
    int undamagedAsBefore = 0;
};

// One load into a record that holds an older picture (or none).
void LoadAndCheck(const Entry& entry, bool reachedByDamage, MemoryBitmap& bitmap, MemoryBitmap& surface, Tally& tally) {
    const HBITMAP oldSection = bitmap.hbm;
    const int oldWidth = bitmap.width;
    const uint32_t oldHash = PixelHash(bitmap);
    if (LoadSkinBitmap(entry.path.c_str(), bitmap)) {
        ++tally.loaded;
        ExpectConsistent(bitmap);
        AlphaBlendBitmap(surface, bitmap, bitmap.width % 7 - 3, bitmap.height % 5 - 2);
        if (!reachedByDamage) {
            EXPECT_EQ(PixelHash(bitmap), entry.hash);
            ++tally.undamagedAsBefore;
        }
        return;
    }
    ++tally.refused;
    EXPECT_TRUE(reachedByDamage) << "an undamaged picture was refused";
    // Refused before the bitmap was made: the older picture stays. Only a failed creation may
    // leave it without pixels.
    if (bitmap.bits || bitmap.hbm == oldSection) {
        EXPECT_EQ(bitmap.hbm, oldSection);
        EXPECT_EQ(bitmap.width, oldWidth);
        EXPECT_EQ(PixelHash(bitmap), oldHash);
    }
}

// Every round loads each entry of a newly damaged package into the record that holds what that
// entry loaded before; the records live as long as the rounds, so that a leak shows at once.
void RunRounds(const Package& package, skintest::PackageFile& file, const skintest::GdiObjectCounter& gdi,
               Tally& tally) {
    MemoryBitmap surface;
    surface.Create32(32, 32);
    ASSERT_EQ(gdi.LiveDibSections(), 1);  // the counter sees what the records create
    ASSERT_EQ(gdi.LiveDeviceContexts(), 1);
    std::vector<MemoryBitmap> targets(package.entries.size());
    Mutator mutator(package, kSeed);
    for (int round = 0; round < kCases; ++round) {
        Bytes bytes = package.bytes;
        const Damage damage = mutator.Mutate(bytes);
        ASSERT_EQ(file.Load(bytes), 1);
        const bool directoryReached = damage.from < package.dataStart;
        int sections = 1, deviceContexts = 1;  // the surface's
        for (size_t i = 0; i < package.entries.size(); ++i) {
            const Entry& entry = package.entries[i];
            const bool reached = directoryReached || (damage.from < entry.end && damage.to > entry.start);
            LoadAndCheck(entry, reached, targets[i], surface, tally);
            sections += targets[i].hbm != nullptr;
            deviceContexts += targets[i].hdc != nullptr;
        }
        ASSERT_EQ(gdi.LiveDibSections(), sections) << "round " << round;
        ASSERT_EQ(gdi.LiveDeviceContexts(), deviceContexts) << "round " << round;
        ASSERT_FALSE(::testing::Test::HasFailure()) << "round " << round;
    }
}

TEST(SkinRobustness, DamagedPackagesLoadConsistentlyOrFailCleanlyWithoutLeaks) {
    Package package;
    skintest::PackageFile file;
    ASSERT_EQ(file.Load(package.bytes), 1);
    for (Entry& entry : package.entries) {
        MemoryBitmap bitmap;
        ASSERT_EQ(LoadSkinBitmap(entry.path.c_str(), bitmap), 1) << testsupport::WideToUtf8(entry.path);
        entry.hash = PixelHash(bitmap);
    }
    // The runtime gives the error stream a buffer for good at its first message: libpng's
    // first error message is written before the heap is counted.
    ASSERT_EQ(file.Load(skintest::BuildPackage({{"Cut.png", package.bytes.substr(package.entries[0].start, 20)}})), 1);
    MemoryBitmap cut;
    ASSERT_EQ(LoadSkinBitmap(L"Cut.png", cut), 0);
    ReleaseSkinPack();

    Tally tally;
    const int heapBefore = skintest::UsedHeapBlocks();
    ASSERT_GT(heapBefore, 0);
    {
        skintest::GdiObjectCounter gdi;
        ASSERT_TRUE(gdi.Installed());
        RunRounds(package, file, gdi, tally);
        ReleaseSkinPack();
        EXPECT_EQ(gdi.LiveDibSections(), 0);
        EXPECT_EQ(gdi.LiveDeviceContexts(), 0);
    }
    EXPECT_EQ(skintest::UsedHeapBlocks(), heapBefore);
    std::printf("%d damaged packages: %d pictures loaded (%d undamaged, as before), %d refused\n", kCases, tally.loaded,
                tally.undamagedAsBefore, tally.refused);
    EXPECT_GT(tally.loaded, tally.undamagedAsBefore);  // damaged pictures that still decode were met
    EXPECT_GT(tally.refused, 0);
}

}  // namespace
