// The package reader: directory lookups, range checks, entry streams and the current package.
#include <gtest/gtest.h>

#include <cstring>

#include "SkinFixtures.h"
#include "skin/SkinPack.h"

namespace {

using skintest::Bytes;
using skintest::PackRecord;
using skintest::RawPackage;

class SkinPackTest : public ::testing::Test {
protected:
    void TearDown() override { ReleaseSkinPack(); }

    // Opens `name` in the current package and reads the whole entry; "<none>" when it is absent.
    static std::string OpenAndReadAll(const char* name) {
        SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, name);
        if (!stream)
            return "<none>";
        std::string content(static_cast<size_t>(stream->size), '\0');
        const size_t read = content.empty() ? 0 : SkinPackRead(&content[0], 1, content.size(), stream);
        std::free(stream);
        return read == content.size() ? content : "<short read>";
    }

    skintest::PackageFile file_;
};

// A package whose entries hold their own names, so that a lookup shows which record it found.
Bytes NamedContentPackage(const std::vector<std::string>& names) {
    std::vector<skintest::PackEntry> entries;
    for (const std::string& name : names)
        entries.push_back({name, "content of " + name});
    return skintest::BuildPackage(entries);
}

struct LookupCase {
    const char* label;
    std::string wanted;
    std::string found;  // the content of the record found, or "<none>"
};

const std::string kFullField(kSkinNameSize, 'F');  // 32 bytes, no NUL inside the field

class SkinPackLookup : public SkinPackTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(SkinPackLookup, FindsTheFirstRecordEqualRegardlessOfTheCaseOfLetters) {
    ASSERT_EQ(file_.Load(NamedContentPackage(
                  {"LeftBg.PNG", "A.PNG", "a.png", "x[1].png", "\xC9t\xE9.png", std::string(31, 'N'), kFullField})),
              1);
    EXPECT_EQ(OpenAndReadAll(GetParam().wanted.c_str()), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SkinPackLookup,
    ::testing::Values(LookupCase{"ExactName", "LeftBg.PNG", "content of LeftBg.PNG"},
                      LookupCase{"OtherCase", "leftbg.png", "content of LeftBg.PNG"},
                      LookupCase{"UpperTwinFirst", "A.PNG", "content of A.PNG"},
                      LookupCase{"LowerTwinFindsFirst", "a.png", "content of A.PNG"},
                      LookupCase{"PrefixIsNoMatch", "LeftBg.PN", "<none>"},
                      LookupCase{"LongerIsNoMatch", "LeftBg.PNGX", "<none>"},
                      // Bytes that differ by 0x20 but are not letters A-Z stay distinct.
                      LookupCase{"BracketIsNotBrace", "x{1}.png", "<none>"},
                      LookupCase{"BracketExact", "x[1].png", "content of x[1].png"},
                      LookupCase{"AccentedCaseDiffers", "\xE9t\xE9.png", "<none>"},
                      LookupCase{"AccentedExact", "\xC9T\xE9.PNG", "content of \xC9t\xE9.png"},
                      LookupCase{"LongestName", std::string(31, 'n'), "content of " + std::string(31, 'N')},
                      LookupCase{"FieldWithoutNul", std::string(kSkinNameSize, 'f'), "content of " + kFullField},
                      LookupCase{"LongerThanField", kFullField + "F", "<none>"}, LookupCase{"EmptyName", "", "<none>"}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.label); });

struct DirectoryCase {
    const char* label;
    Bytes package;
};

class SkinPackDirectory : public SkinPackTest, public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(SkinPackDirectory, AnswersEveryLookupWithNone) {
    ASSERT_EQ(file_.Load(GetParam().package), 1);
    EXPECT_EQ(OpenAndReadAll("a.png"), "<none>");
}

const Bytes kOneRecord = RawPackage(1, {{"a.png", 0, 3}}, "abc");

// 40 * 0x06666667 wraps to 0x18 in 32 bits: a directory check that multiplies would take the
// directory as 28 bytes long and find the record.
const Bytes kWrappingCount = RawPackage(0x06666667, {{"a.png", 0, 3}}, "abc");

INSTANTIATE_TEST_SUITE_P(
    Packages, SkinPackDirectory,
    ::testing::Values(DirectoryCase{"Empty", ""}, DirectoryCase{"OneByte", "\x01"},
                      DirectoryCase{"ThreeBytes", Bytes("\x01\x00\x00", 3)},
                      DirectoryCase{"CountZero", RawPackage(0, {{"a.png", 0, 3}}, "abc")},
                      DirectoryCase{"CountNegative", RawPackage(-1, {{"a.png", 0, 3}}, "abc")},
                      DirectoryCase{"DirectoryPastTheEnd", kOneRecord.substr(0, 4 + 39)},
                      DirectoryCase{"SecondRecordPastTheEnd", RawPackage(2, {{"a.png", 0, 0}}, "")},
                      DirectoryCase{"CountWrapsTheDirectorySize", kWrappingCount}),
    [](const ::testing::TestParamInfo<DirectoryCase>& info) { return std::string(info.param.label); });

struct RangeCase {
    const char* label;
    std::vector<PackRecord> records;
    const char* found;
};

class SkinPackRange : public SkinPackTest, public ::testing::WithParamInterface<RangeCase> {};

// Data area of 10 bytes, "0123456789", after the directory.
TEST_P(SkinPackRange, OpensOnlyRangesInsideTheDataArea) {
    const auto& records = GetParam().records;
    ASSERT_EQ(file_.Load(RawPackage(static_cast<int32_t>(records.size()), records, "0123456789")), 1);
    EXPECT_EQ(OpenAndReadAll("e.png"), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Ranges, SkinPackRange,
                         ::testing::Values(RangeCase{"OffsetZeroIsTheFirstDataByte", {{"e.png", 0, 3}}, "012"},
                                           RangeCase{"WholeDataArea", {{"e.png", 0, 10}}, "0123456789"},
                                           RangeCase{"EndsAtTheEnd", {{"e.png", 7, 3}}, "789"},
                                           RangeCase{"SizeZeroAtTheEnd", {{"e.png", 10, 0}}, ""},
                                           RangeCase{"OneBytePastTheEnd", {{"e.png", 7, 4}}, "<none>"},
                                           RangeCase{"OffsetPastTheEnd", {{"e.png", 11, 0}}, "<none>"},
                                           // 0xFFFFFFF8 + 0x10 wraps to 8 in 32 bits.
                                           RangeCase{"OffsetPlusSizeWraps", {{"e.png", 0xFFFFFFF8u, 0x10}}, "<none>"},
                                           RangeCase{"SizeWraps", {{"e.png", 2, 0xFFFFFFFFu}}, "<none>"},
                                           RangeCase{
                                               "BadFirstHidesGoodTwin", {{"e.png", 8, 5}, {"E.PNG", 0, 2}}, "<none>"},
                                           RangeCase{"EntriesMayOverlap", {{"x.png", 0, 6}, {"e.png", 4, 4}}, "4567"}),
                         [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.label); });

TEST_F(SkinPackTest, ReadCopiesWholeElementsOnly) {
    ASSERT_EQ(file_.Load(RawPackage(1, {{"e.png", 0, 10}}, "0123456789")), 1);
    SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "e.png");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->start, g_pSkinPack + 44);
    EXPECT_EQ(stream->end - stream->start, 10);
    EXPECT_EQ(stream->size, 10);

    char buffer[16] = {};
    EXPECT_EQ(SkinPackRead(buffer, 1, 0, stream), 0u);  // count 0 moves nothing
    EXPECT_EQ(SkinPackRead(nullptr, 1, 4, stream), 0u);
    EXPECT_EQ(stream->cursor, stream->start);
    EXPECT_EQ(SkinPackRead(buffer, 1, 2, stream), 2u);
    EXPECT_EQ(std::string(buffer, 2), "01");

    // 8 bytes left: 3 elements of 4 bytes copy 8 bytes and report 2; the buffer's rest is untouched.
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(SkinPackRead(buffer, 4, 3, stream), 2u);
    EXPECT_EQ(std::string(buffer, 9), "23456789#");
    EXPECT_EQ(stream->cursor, stream->end);
    EXPECT_EQ(SkinPackRead(buffer, 1, 1, stream), 0u);
    std::free(stream);
}

TEST_F(SkinPackTest, ReadLeavesATrailingPartOfAnElementUnread) {
    ASSERT_EQ(file_.Load(RawPackage(1, {{"e.png", 0, 10}}, "0123456789")), 1);
    SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "e.png");
    ASSERT_NE(stream, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(SkinPackRead(buffer, 4, 2, stream), 2u);
    EXPECT_EQ(SkinPackRead(buffer, 4, 1, stream), 0u);  // 2 bytes left: no whole element
    EXPECT_EQ(stream->cursor, stream->start + 8);
    EXPECT_EQ(SkinPackRead(buffer, 1, 5, stream), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    std::free(stream);
}

TEST_F(SkinPackTest, ReadOfAHugeRequestDoesNotWrap) {
    ASSERT_EQ(file_.Load(RawPackage(1, {{"e.png", 0, 10}}, "0123456789")), 1);
    SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "e.png");
    ASSERT_NE(stream, nullptr);
    char buffer[16] = {};
    // 2 * 0x80000001 wraps to 2 in 32 bits; only the 5 whole elements that are there are copied.
    EXPECT_EQ(SkinPackRead(buffer, 2, 0x80000001u, stream), 5u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    std::free(stream);
}

TEST_F(SkinPackTest, SizeZeroEntryOpensAndReadsNothing) {
    ASSERT_EQ(file_.Load(RawPackage(1, {{"e.png", 3, 0}}, "0123456789")), 1);
    SkinPackStream* stream = SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "e.png");
    ASSERT_NE(stream, nullptr);
    char buffer[4];
    EXPECT_EQ(SkinPackRead(buffer, 1, 4, stream), 0u);
    EXPECT_EQ(stream->cursor, stream->start);
    std::free(stream);
}

TEST_F(SkinPackTest, LoadHoldsTheWholeFile) {
    const Bytes package = NamedContentPackage({"LeftBg.PNG", "RightBg.PNG"});
    ASSERT_EQ(file_.Load(package), 1);
    ASSERT_NE(g_pSkinPack, nullptr);
    ASSERT_EQ(g_nSkinPackSize, package.size());
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(g_pSkinPack), g_nSkinPackSize), package);
    EXPECT_EQ(OpenAndReadAll("RIGHTBG.PNG"), "content of RightBg.PNG");
}

TEST_F(SkinPackTest, EmptyFileLoadsAsAPackageWithoutEntries) {
    ASSERT_EQ(file_.Load(""), 1);
    EXPECT_NE(g_pSkinPack, nullptr);
    EXPECT_EQ(g_nSkinPackSize, 0u);
    EXPECT_EQ(OpenAndReadAll("a.png"), "<none>");
}

TEST_F(SkinPackTest, FailedLoadLeavesNoPackage) {
    ASSERT_EQ(file_.Load(NamedContentPackage({"a.png"})), 1);
    EXPECT_EQ(LoadSkinPack((file_.Path() + L".missing").c_str()), 0);
    EXPECT_EQ(g_pSkinPack, nullptr);
    EXPECT_EQ(g_nSkinPackSize, 0u);
    EXPECT_EQ(SkinPackOpen(g_pSkinPack, g_nSkinPackSize, "a.png"), nullptr);
}

TEST_F(SkinPackTest, ReleaseLeavesNoPackageUntilTheNextLoad) {
    ReleaseSkinPack();  // nothing loaded: nothing happens
    ASSERT_EQ(file_.Load(NamedContentPackage({"a.png"})), 1);
    ReleaseSkinPack();
    EXPECT_EQ(g_pSkinPack, nullptr);
    EXPECT_EQ(g_nSkinPackSize, 0u);
    EXPECT_EQ(OpenAndReadAll("a.png"), "<none>");
    ASSERT_EQ(LoadSkinPack(file_.Path().c_str()), 1);
    EXPECT_EQ(OpenAndReadAll("a.png"), "content of a.png");
}

TEST_F(SkinPackTest, LoadReplacesThePreviousPackage) {
    ASSERT_EQ(file_.Load(NamedContentPackage({"a.png"})), 1);
    ASSERT_EQ(file_.Load(NamedContentPackage({"b.png"})), 1);
    EXPECT_EQ(OpenAndReadAll("a.png"), "<none>");
    EXPECT_EQ(OpenAndReadAll("b.png"), "content of b.png");
}

}  // namespace
