// The dialog templates as the shipped program holds them: each template's styles, place,
// size, caption, font and language, and its controls in template order, read from the
// program file's resources and compared with the templates the bar and its prompt are made
// for.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

constexpr WORD kButtonClass = 0x80;
constexpr WORD kStaticClass = 0x82;

struct Control {
    int id;
    std::wstring windowClass;  // "#128" for a class atom
    DWORD style;
    short x, y, cx, cy;
    std::wstring text;  // "#128" for a resource ordinal
    bool operator==(const Control& o) const {
        return id == o.id && windowClass == o.windowClass && style == o.style && x == o.x && y == o.y && cx == o.cx &&
               cy == o.cy && text == o.text;
    }
};

void PrintTo(const Control& c, std::ostream* os) {
    char style[16];
    snprintf(style, sizeof(style), "0x%08lX", static_cast<unsigned long>(c.style));
    *os << "{" << c.id << ", " << testsupport::WideToUtf8(c.windowClass) << ", " << style << ", (" << c.x << ", " << c.y
        << ") " << c.cx << " x " << c.cy << ", \"" << testsupport::WideToUtf8(c.text) << "\"}";
}

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring font;
    std::vector<Control> controls;
};

// Reads an extended dialog template; its layout is the system's, fields in order, items on
// 4-byte boundaries.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : p_(data), base_(data), end_(data + size) {}

    bool Read(Template& t) {
        if (Take<WORD>() != 1 || Take<WORD>() != 0xFFFF)
            return false;  // not an extended template
        Take<DWORD>();     // help id
        t.exStyle = Take<DWORD>();
        t.style = Take<DWORD>();
        const WORD count = Take<WORD>();
        t.x = Take<short>(), t.y = Take<short>(), t.cx = Take<short>(), t.cy = Take<short>();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        t.caption = NameOrOrdinal();
        if (t.style & DS_SETFONT) {
            t.pointSize = Take<WORD>();
            t.weight = Take<WORD>();
            t.italic = Take<BYTE>();
            t.charset = Take<BYTE>();
            t.font = NameOrOrdinal();
        }
        for (WORD i = 0; i < count && ok_; ++i) {
            Align();
            Control c{};
            Take<DWORD>();  // help id
            Take<DWORD>();  // extended style
            c.style = Take<DWORD>();
            c.x = Take<short>(), c.y = Take<short>(), c.cx = Take<short>(), c.cy = Take<short>();
            c.id = static_cast<int>(Take<DWORD>());
            c.windowClass = NameOrOrdinal();
            c.text = NameOrOrdinal();
            p_ += Take<WORD>();  // creation data
            t.controls.push_back(c);
        }
        return ok_ && p_ <= end_;
    }

private:
    template <typename T>
    T Take() {
        T value{};
        if (p_ + sizeof(T) > end_) {
            ok_ = false;
            return value;
        }
        memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    std::wstring NameOrOrdinal() {
        const WORD first = Take<WORD>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD c = Take<WORD>(); c && ok_; c = Take<WORD>())
            text += static_cast<wchar_t>(c);
        return text;
    }
    void Align() { p_ = base_ + ((p_ - base_ + 3) & ~static_cast<ptrdiff_t>(3)); }

    const BYTE* p_;
    const BYTE* base_;
    const BYTE* end_;
    bool ok_ = true;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

class ShippedProgram {
public:
    ShippedProgram()
        : module_(LoadLibraryExW((testsupport::OutDirectory() + L"\\Vantelo II.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ShippedProgram() {
        if (module_)
            FreeLibrary(module_);
    }
    ShippedProgram(const ShippedProgram&) = delete;
    ShippedProgram& operator=(const ShippedProgram&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    std::vector<WORD> Languages(int id) const {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(module_, RT_DIALOG, MAKEINTRESOURCEW(id), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    bool ReadTemplate(int id, WORD language, Template& t) const {
        HRSRC found = FindResourceExW(module_, RT_DIALOG, MAKEINTRESOURCEW(id), language);
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        const void* data = loaded ? LockResource(loaded) : nullptr;
        return data && TemplateReader(static_cast<const BYTE*>(data), SizeofResource(module_, found)).Read(t);
    }

private:
    HMODULE module_;
};

std::wstring Atom(WORD atom) {
    return L"#" + std::to_wstring(atom);
}

constexpr DWORD kModalBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

// Push buttons of the bar in template order, each 24 x 20 with an empty caption.
std::vector<Control> BarButtons() {
    const struct {
        int id;
        short x, y;
    } buttons[] = {{1000, 13, 14},  {1001, 44, 14},  {1002, 76, 14},  {1003, 106, 14}, {1004, 136, 14},
                   {1005, 166, 14}, {1006, 196, 14}, {1007, 226, 14}, {1008, 257, 14}, {1009, 289, 14},
                   {1010, 321, 14}, {1011, 350, 14}, {1012, 382, 14}, {1013, 409, 14}, {1014, 439, 14},
                   {1100, 562, 14}, {1015, 468, 14}, {1016, 500, 14}, {1017, 532, 14}, {1018, 119, 20}};
    std::vector<Control> controls;
    for (const auto& b : buttons)
        controls.push_back({b.id, Atom(kButtonClass), WS_CHILD | WS_VISIBLE | WS_TABSTOP, b.x, b.y, 24, 20, L""});
    return controls;
}

struct TemplateCase {
    const char* label;
    int id;
    WORD language;  // 0: the template's language is not fixed
    DWORD style, exStyle;
    short cx, cy;  // 0: the size is not fixed
    std::wstring caption;
    WORD pointSize;
    std::wstring font;
    bool layoutFixed;  // else only the controls' ids and classes are compared
    std::vector<Control> controls;
};

class DialogTemplates : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(DialogTemplates, ShippedTemplateHoldsItsStylesSizeLanguageAndControls) {
    const TemplateCase& c = GetParam();
    ShippedProgram program;
    ASSERT_TRUE(program.Loaded());
    const std::vector<WORD> languages = program.Languages(c.id);
    ASSERT_EQ(languages.size(), 1u) << "one template " << c.id;
    if (c.language) {
        EXPECT_EQ(languages[0], c.language);
    }
    Template t;
    ASSERT_TRUE(program.ReadTemplate(c.id, languages[0], t));
    EXPECT_EQ(t.style, c.style) << std::hex << t.style;
    EXPECT_EQ(t.exStyle, c.exStyle) << std::hex << t.exStyle;
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    if (c.cx) {
        EXPECT_EQ(t.cx, c.cx);
        EXPECT_EQ(t.cy, c.cy);
    }
    if (!c.caption.empty()) {
        EXPECT_EQ(t.caption, c.caption);
    }
    EXPECT_EQ(t.pointSize, c.pointSize);
    EXPECT_EQ(t.font, c.font);
    if (c.layoutFixed) {
        EXPECT_EQ(t.controls, c.controls);
        return;
    }
    ASSERT_EQ(t.controls.size(), c.controls.size());
    for (size_t i = 0; i < c.controls.size(); ++i) {
        EXPECT_EQ(t.controls[i].id, c.controls[i].id) << "control " << i;
        EXPECT_EQ(t.controls[i].windowClass, c.controls[i].windowClass) << "control " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, DialogTemplates,
    ::testing::Values(
        // The bar: no caption, border or system menu; neither layered nor topmost.
        TemplateCase{"Bar", 102, 0, WS_POPUP | WS_VISIBLE | DS_SETFONT | DS_FIXEDSYS,
                     WS_EX_APPWINDOW | WS_EX_TOOLWINDOW, 619, 47, L"", 9, L"MS Shell Dlg", true, BarButtons()},
        // The About box: its icon, two lines of text and OK; the wording is its own.
        TemplateCase{"About",
                     100,
                     0,
                     kModalBoxStyle,
                     0,
                     0,
                     0,
                     L"",
                     9,
                     L"MS Shell Dlg",
                     false,
                     {{-1, Atom(kStaticClass), 0, 0, 0, 0, 0, L""},
                      {-1, Atom(kStaticClass), 0, 0, 0, 0, 0, L""},
                      {-1, Atom(kStaticClass), 0, 0, 0, 0, 0, L""},
                      {IDOK, Atom(kButtonClass), 0, 0, 0, 0, 0, L""}}},
        // The cable prompt: topmost, not visible until shown; the "3" control hidden and
        // disabled, and like the text control the start of a group.
        TemplateCase{"CablePrompt",
                     132,
                     MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL),
                     kModalBoxStyle,
                     WS_EX_TOPMOST,
                     362,
                     62,
                     L"Van Telo II",
                     8,
                     L"MS Shell Dlg",
                     true,
                     {{1018, Atom(kStaticClass), WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 41, 23, 321, 23,
                       L"Please plug in monitor cable after 3 second"},
                      {1017, Atom(kStaticClass), WS_CHILD | WS_DISABLED | WS_GROUP, 125, 50, 8, 8, L"3"}}}),
    [](const ::testing::TestParamInfo<TemplateCase>& info) { return info.param.label; });

// The prompt's font as its template names it: regular weight, upright, character set 1.
TEST(DialogTemplates, CablePromptFontIsRegularUprightWithCharsetOne) {
    ShippedProgram program;
    ASSERT_TRUE(program.Loaded());
    Template t;
    ASSERT_TRUE(program.ReadTemplate(132, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), t));
    EXPECT_EQ(t.weight, FW_NORMAL);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 1);
}

}  // namespace
