// skinpack run as a process: the packages it writes, read here byte by byte without the
// tool's own code, and the input it refuses. Then the sample skins of the build: every
// entry the bar loads, decoded with libpng, at the sizes their cells promise.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

using testsupport::StartProcess;
using testsupport::TempFolder;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::wstring& path) {
    Bytes bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        std::uint8_t buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(file);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    testsupport::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

Bytes Sample(size_t size, unsigned seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + seed * 17 + (i >> 8)) & 0xFF);
    return bytes;
}

struct ToolRun {
    DWORD exitCode;
    std::string errors;
};

// Runs skinpack with the arguments (each quoted) and collects what it writes to standard error.
ToolRun RunSkinpack(const std::vector<std::wstring>& arguments) {
    const std::wstring tests = testsupport::TestDirectory();
    const std::wstring tool = tests.substr(0, tests.find_last_of(L'\\')) + L"\\buildtools\\skinpack.exe";
    std::wstring line = L"\"" + tool + L"\"";
    for (const std::wstring& argument : arguments)
        line += L" \"" + argument + L"\"";

    TempFolder scratch;
    const std::wstring errorsPath = scratch.File(L"stderr.txt");
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE errors =
        CreateFileW(errorsPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(errors, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = errors;
    startup.hStdOutput = errors;
    PROCESS_INFORMATION process{};
    const bool started = StartProcess(tool, line, TRUE, CREATE_NO_WINDOW, L"", startup, process);
    CloseHandle(errors);
    EXPECT_TRUE(started) << "cannot start skinpack";
    if (!started)
        return ToolRun{~0u, {}};
    DWORD exitCode = ~0u;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const Bytes text = ReadBytes(errorsPath);
    return ToolRun{exitCode, std::string(text.begin(), text.end())};
}

std::uint32_t Le32(const Bytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

struct Record {
    std::string field;  // all 32 bytes
    std::uint32_t offset;
    std::uint32_t size;

    std::string Name() const { return field.substr(0, field.find('\0')); }
};

// The package as the format lays it out: count, 40-byte records, data area. Fails the test
// when the layout is broken.
struct Package {
    explicit Package(const Bytes& file) : bytes(file) {
        if (bytes.size() < 4) {
            ADD_FAILURE() << "package shorter than its count";
            return;
        }
        const auto count = static_cast<std::int32_t>(Le32(bytes, 0));
        EXPECT_GT(count, 0);
        if (count <= 0 || bytes.size() < 4 + 40ull * count) {
            ADD_FAILURE() << "directory of " << count << " records does not fit";
            return;
        }
        dataStart = 4 + 40 * static_cast<size_t>(count);
        for (std::int32_t i = 0; i < count; ++i) {
            const size_t at = 4 + 40 * static_cast<size_t>(i);
            Record r{std::string(bytes.begin() + at, bytes.begin() + at + 32), Le32(bytes, at + 32),
                     Le32(bytes, at + 36)};
            const size_t nul = r.field.find('\0');
            EXPECT_NE(nul, std::string::npos) << "name field without NUL in record " << i;
            if (nul != std::string::npos) {
                EXPECT_EQ(r.field.find_first_not_of('\0', nul), std::string::npos)
                    << "name field of \"" << r.Name() << "\" is not NUL-filled";
            }
            EXPECT_LE(std::uint64_t{r.offset} + r.size, bytes.size() - dataStart)
                << "range of \"" << r.Name() << "\" leaves the data area";
            records.push_back(r);
        }
    }

    // The entry's bytes, found as the bar finds them: first record equal without regard to A-Z case.
    const Record* Find(const std::string& name) const {
        for (const Record& r : records)
            if (r.Name().size() == name.size() && _stricmp(r.Name().c_str(), name.c_str()) == 0)
                return &r;
        return nullptr;
    }

    Bytes Entry(const Record& r) const {
        if (std::uint64_t{r.offset} + r.size > bytes.size() - dataStart)
            return {};
        return Bytes(bytes.begin() + dataStart + r.offset, bytes.begin() + dataStart + r.offset + r.size);
    }

    Bytes bytes;
    size_t dataStart = 0;
    std::vector<Record> records;
};

TEST(Skinpack, WritesCountRecordsAndDataInTheGivenOrder) {
    TempFolder folder;
    CreateDirectoryW(folder.File(L"sub").c_str(), nullptr);
    struct Input {
        std::wstring path;
        std::string entryName;
        Bytes bytes;
    };
    const std::vector<Input> inputs = {
        {folder.File(L"LeftBg.PNG"), "LeftBg.PNG", Sample(1000, 1)},
        {folder.File(L"Empty.PNG"), "Empty.PNG", {}},
        {folder.File(L"sub\\ABCDEFGHIJKLMNOPQRSTUVWXYZ0.PNG"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0.PNG", Sample(3, 2)},
        {folder.File(L"sub\\BTN12_UP.PNG"), "BTN12_UP.PNG", Sample(70000, 3)},
    };
    ASSERT_EQ(inputs[2].entryName.size(), 31u) << "the longest name that fits";
    std::vector<std::wstring> arguments = {folder.File(L"out.SKN")};
    for (const Input& input : inputs) {
        WriteBytes(input.path, input.bytes);
        arguments.push_back(input.path);
    }
    // A forward slash separates folders as well.
    arguments.back() = folder.Path() + L"/sub/BTN12_UP.PNG";

    const ToolRun run = RunSkinpack(arguments);
    ASSERT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.errors, "");

    const Package package(ReadBytes(folder.File(L"out.SKN")));
    ASSERT_EQ(package.records.size(), inputs.size());
    size_t dataSize = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(package.records[i].Name(), inputs[i].entryName);
        EXPECT_EQ(package.records[i].size, inputs[i].bytes.size());
        EXPECT_EQ(package.Entry(package.records[i]), inputs[i].bytes) << inputs[i].entryName;
        dataSize += inputs[i].bytes.size();
    }
    EXPECT_EQ(package.records[0].offset, 0u) << "the first entry starts the data area";
    EXPECT_EQ(package.bytes.size(), package.dataStart + dataSize) << "nothing but the entries follows the directory";
}

struct Refusal {
    const char* label;
    std::vector<std::wstring> files;  // created before the run, relative to the scratch folder
    std::vector<std::wstring> arguments;
    DWORD exitCode;
    const char* message;
};

class SkinpackRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(SkinpackRefuses, WithItsMessageAndWritesNoPackage) {
    const Refusal& c = GetParam();
    TempFolder folder;
    CreateDirectoryW(folder.File(L"other").c_str(), nullptr);
    for (const std::wstring& file : c.files)
        WriteBytes(folder.File(file), Sample(10, 4));
    std::vector<std::wstring> arguments = {folder.File(L"out.SKN")};
    for (const std::wstring& argument : c.arguments)
        arguments.push_back(folder.File(argument));

    const ToolRun run = RunSkinpack(arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_FALSE(testsupport::FileExists(folder.File(L"out.SKN")));
    EXPECT_FALSE(testsupport::FileExists(folder.File(L"out.SKN.partial")));
}

INSTANTIATE_TEST_SUITE_P(
    BrokenInput, SkinpackRefuses,
    ::testing::Values(Refusal{"NameOf32Bytes",
                              {L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01.PNG"},
                              {L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01.PNG"},
                              1,
                              "entry name \"ABCDEFGHIJKLMNOPQRSTUVWXYZ01.PNG\" is 32 bytes long; at most 31 fit"},
                      Refusal{"NamesDifferingInCase",
                              {L"LeftBg.PNG", L"other\\leftbg.png"},
                              {L"LeftBg.PNG", L"other\\leftbg.png"},
                              1,
                              "entry names \"LeftBg.PNG\" and \"leftbg.png\" differ at most in case"},
                      Refusal{"SameFileTwice",
                              {L"EXIT_UP.PNG"},
                              {L"EXIT_UP.PNG", L"other\\..\\EXIT_UP.PNG"},
                              1,
                              "entry names \"EXIT_UP.PNG\" and \"EXIT_UP.PNG\" differ at most in case"},
                      Refusal{"MissingFile", {L"LeftBg.PNG"}, {L"LeftBg.PNG", L"RightBg.PNG"}, 1, "cannot read \""},
                      Refusal{"FolderForAFile", {}, {L"other/"}, 1, "names no file"},
                      Refusal{"NoFiles", {}, {}, 2, "usage: skinpack PACKAGE.SKN FILE..."}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.label; });

TEST(Skinpack, RefusesANameOutsideTheCodePage) {
    BOOL lossy = FALSE;
    char converted[8];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\x4E2D", 1, converted, sizeof(converted), nullptr, &lossy);
    if (!lossy)
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds the test's character";
    TempFolder folder;
    const std::wstring file = folder.File(L"\x4E2D.PNG");
    WriteBytes(file, Sample(10, 5));
    const ToolRun run = RunSkinpack({folder.File(L"out.SKN"), file});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.errors.find("cannot be written in the system's ANSI code page"), std::string::npos) << run.errors;
    EXPECT_FALSE(testsupport::FileExists(folder.File(L"out.SKN")));
}

TEST(Skinpack, RefusedInputLeavesAnEarlierPackageAsItWas) {
    TempFolder folder;
    const Bytes earlier = Sample(300, 6);
    WriteBytes(folder.File(L"out.SKN"), earlier);
    WriteBytes(folder.File(L"a.PNG"), Sample(10, 7));
    const ToolRun run = RunSkinpack({folder.File(L"out.SKN"), folder.File(L"a.PNG"), folder.File(L"A.png")});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ReadBytes(folder.File(L"out.SKN")), earlier);
}

// The sample skins made by the build.

struct Image {
    int width = 0, height = 0, colorType = -1, bitDepth = 0, interlace = -1;
    Bytes rgba;  // rows top-down, 4 bytes a pixel, when the image is 8-bit RGBA

    const std::uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

struct MemoryReader {
    const Bytes* data;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep bytes, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->data->size() - reader->offset)
        png_error(png, "entry ends early");
    std::memcpy(bytes, reader->data->data() + reader->offset, length);
    reader->offset += length;
}

// Decodes a whole PNG with libpng, without transforms; false on any libpng error.
bool DecodePng(const Bytes& file, Image& image) {
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0)
        return false;
    MemoryReader source{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    png_read_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.colorType = png_get_color_type(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    image.interlace = png_get_interlace_type(png, info);
    const bool rgba8 = image.colorType == PNG_COLOR_TYPE_RGB_ALPHA && image.bitDepth == 8 &&
                       image.interlace == PNG_INTERLACE_NONE && png_get_rowbytes(png, info) == 4u * image.width;
    if (rgba8) {
        image.rgba.resize(4u * image.width * image.height);
        for (int y = 0; y < image.height; ++y)
            png_read_row(png, &image.rgba[4u * image.width * y], nullptr);
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct SampleSkin {
    const char* package;
    int cellWidth, cellHeight, buttonSize;
    int narrowestScreen;
};

const SampleSkin kSampleSkins[] = {
    {"Vantelo64", 48, 56, 40, 1024},
    {"Pemro_Vantelo64", 48, 56, 40, 1024},
    {"Vantelo50", 38, 44, 32, 800},
    {"Pemro_Vantelo50", 38, 44, 32, 800},
};

std::vector<std::string> ButtonEntries() {
    std::vector<std::string> names;
    for (int k = 1; k <= 19; ++k) {
        names.push_back("BTN" + std::to_string(k) + "_UP.PNG");
        names.push_back("BTN" + std::to_string(k) + "_DOWN.PNG");
    }
    names.push_back("EXIT_UP.PNG");
    names.push_back("EXIT_DOWN.PNG");
    return names;
}

Package LoadSample(const char* package) {
    return Package(ReadBytes(testsupport::OutDirectory() + L"\\img\\" + testsupport::Utf8ToWide(package) + L".SKN"));
}

Image EntryImage(const Package& package, const std::string& name) {
    Image image;
    const Record* record = package.Find(name);
    EXPECT_NE(record, nullptr) << name << " is missing";
    if (record) {
        EXPECT_TRUE(DecodePng(package.Entry(*record), image)) << name << " is no valid PNG";
    }
    return image;
}

class SampleSkins : public ::testing::TestWithParam<SampleSkin> {
protected:
    SampleSkins() : package_(LoadSample(GetParam().package)) {}
    Package package_;
};

TEST_P(SampleSkins, HoldEveryEntryOfTheBarAsRgbaPngOfTheCellSizes) {
    const SampleSkin& skin = GetParam();
    struct Expected {
        std::string name;
        int width, height;
    };
    std::vector<Expected> expected = {{"LeftBg.PNG", skin.cellWidth, skin.cellHeight},
                                      {"MiddleBg.PNG", skin.cellWidth, skin.cellHeight},
                                      {"RightBg.PNG", skin.cellWidth, skin.cellHeight},
                                      {"SingleBg.PNG", 2 * skin.cellWidth, skin.cellHeight}};
    for (const std::string& name : ButtonEntries())
        expected.push_back({name, skin.buttonSize, skin.buttonSize});
    EXPECT_EQ(package_.records.size(), expected.size());

    for (const Expected& e : expected) {
        const Image image = EntryImage(package_, e.name);
        EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_RGB_ALPHA) << e.name;
        EXPECT_EQ(image.bitDepth, 8) << e.name;
        EXPECT_EQ(image.interlace, PNG_INTERLACE_NONE) << e.name;
        EXPECT_EQ(image.width, e.width) << e.name;
        EXPECT_EQ(image.height, e.height) << e.name;
        EXPECT_FALSE(image.rgba.empty()) << e.name << " was not decoded";
    }
    // The bar is one cell per visible button plus one; a full bar must fit the narrowest screen.
    EXPECT_LE(20 * skin.cellWidth, skin.narrowestScreen);
    EXPECT_LT(skin.buttonSize, skin.cellHeight);
    EXPECT_LE(skin.buttonSize, skin.cellWidth);
}

TEST_P(SampleSkins, BackgroundIsTranslucentRoundedAndTilesWithoutSeams) {
    const Image left = EntryImage(package_, "LeftBg.PNG");
    const Image middle = EntryImage(package_, "MiddleBg.PNG");
    const Image right = EntryImage(package_, "RightBg.PNG");
    const Image single = EntryImage(package_, "SingleBg.PNG");
    ASSERT_FALSE(left.rgba.empty() || middle.rgba.empty() || right.rgba.empty() || single.rgba.empty());
    const int w = left.width, h = left.height;

    // Rounded outer corners are clear; the pane itself lets the desktop show through.
    for (const Image* piece : {&left, &single})
        EXPECT_EQ(piece->At(0, 0)[3], 0);
    EXPECT_EQ(right.At(w - 1, h - 1)[3], 0);
    EXPECT_EQ(single.At(single.width - 1, 0)[3], 0);
    const std::uint8_t paneAlpha = middle.At(w / 2, h * 3 / 4)[3];
    EXPECT_GT(paneAlpha, 100);
    EXPECT_LT(paneAlpha, 255);

    // Neighbouring pieces meet with equal columns: left | middle | middle | right.
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(std::memcmp(left.At(w - 1, y), middle.At(0, y), 4), 0) << "left/middle seam at row " << y;
        EXPECT_EQ(std::memcmp(middle.At(w - 1, y), middle.At(0, y), 4), 0) << "middle/middle seam at row " << y;
        EXPECT_EQ(std::memcmp(middle.At(w - 1, y), right.At(0, y), 4), 0) << "middle/right seam at row " << y;
    }
}

TEST_P(SampleSkins, EveryButtonHasItsOwnGlyphAndAVisiblyDifferentDownImage) {
    std::set<Bytes> upImages;
    const std::vector<std::string> names = ButtonEntries();
    for (size_t i = 0; i < names.size(); i += 2) {
        const Image up = EntryImage(package_, names[i]);
        const Image down = EntryImage(package_, names[i + 1]);
        ASSERT_FALSE(up.rgba.empty() || down.rgba.empty()) << names[i];
        EXPECT_TRUE(upImages.insert(up.rgba).second) << names[i] << " repeats another button's image";
        size_t changed = 0;
        for (size_t p = 0; p < up.rgba.size(); p += 4)
            changed += std::memcmp(&up.rgba[p], &down.rgba[p], 4) != 0;
        EXPECT_GT(changed, up.rgba.size() / 4 / 2) << names[i + 1] << " hardly differs from the up image";
    }
}

INSTANTIATE_TEST_SUITE_P(Build, SampleSkins, ::testing::ValuesIn(kSampleSkins),
                         [](const ::testing::TestParamInfo<SampleSkin>& info) { return info.param.package; });

// Mean colour of the bar's straight run, weighted by alpha.
void MeanPaneColour(const char* package, double mean[3]) {
    const Image middle = EntryImage(LoadSample(package), "MiddleBg.PNG");
    double weight = 0;
    mean[0] = mean[1] = mean[2] = 0;
    for (size_t p = 0; p + 3 < middle.rgba.size(); p += 4) {
        for (int c = 0; c < 3; ++c)
            mean[c] += middle.rgba[p + c] * middle.rgba[p + 3];
        weight += middle.rgba[p + 3];
    }
    ASSERT_GT(weight, 0);
    for (int c = 0; c < 3; ++c)
        mean[c] /= weight;
}

TEST(SampleSkinFamilies, VanteloIsBlueAndPemroWarm) {
    for (const char* size : {"64", "50"}) {
        double vantelo[3], pemro[3];
        MeanPaneColour((std::string("Vantelo") + size).c_str(), vantelo);
        MeanPaneColour((std::string("Pemro_Vantelo") + size).c_str(), pemro);
        EXPECT_GT(vantelo[2], vantelo[0] + 20) << "Vantelo" << size << " is not blue";
        EXPECT_GT(pemro[0], pemro[2] + 20) << "Pemro_Vantelo" << size << " is not warm";
    }
}

}  // namespace
