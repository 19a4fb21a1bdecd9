// The image button against a parent window: its size from the up image, the default
// pictures, one parent invalidation per change of the pressed state, the image and caption
// it blends into the owner's composite, and its hover-and-leave tracking.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "SkinFixtures.h"
#include "skin/BaseButton.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace {

LPCWSTR ParentClass() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BaseButtonTestParent";
        return RegisterClassW(&wc);
    }();
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}

void Fill(MemoryBitmap& bitmap, int width, int height, COLORREF colour) {
    bitmap.Create32(width, height);
    for (int i = 0; i < width * height; ++i) {
        BYTE* pixel = bitmap.bits + 4 * i;
        pixel[0] = GetBValue(colour);
        pixel[1] = GetGValue(colour);
        pixel[2] = GetRValue(colour);
        pixel[3] = 255;
    }
}

COLORREF PixelAt(const MemoryBitmap& bitmap, int x, int y) {
    const BYTE* pixel = bitmap.bits + y * bitmap.Stride() + 4 * x;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

constexpr COLORREF kUpColour = RGB(200, 0, 0);
constexpr COLORREF kDownColour = RGB(0, 200, 0);
constexpr COLORREF kDisabledColour = RGB(0, 0, 200);
constexpr int kLeft = 10;
constexpr int kTop = 5;

class BaseButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExW(0, ParentClass(), L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        control = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, kLeft, kTop, 30, 20, parent,
                                  reinterpret_cast<HMENU>(1007), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        ASSERT_TRUE(button.SubclassWindow(control));
        ShowWindow(parent, SW_SHOWNA);
        UpdateWindow(parent);
        target.Create32(200, 100);
        Clear(target);
    }
    void TearDown() override { DestroyWindow(parent); }

    static void Clear(MemoryBitmap& bitmap) { memset(bitmap.bits, 0, bitmap.Stride() * bitmap.height); }

    void LoadImages() {
        Fill(button.m_image[0], 20, 12, kUpColour);
        Fill(button.m_image[1], 24, 14, kDownColour);
        Fill(button.m_image[2], 20, 12, kDisabledColour);
        button.PreSubclassWindow();
    }

    void DrawState(UINT state) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = 1007;
        item.hwndItem = control;
        item.itemState = state;
        button.DrawItem(&item);
    }

    // Whether the parent was invalidated since the last call.
    bool TakeParentInvalidation() {
        const bool invalid = GetUpdateRect(parent, nullptr, FALSE) != FALSE;
        ValidateRect(parent, nullptr);
        return invalid;
    }

    HWND parent = nullptr;
    HWND control = nullptr;
    BaseButton button;
    MemoryBitmap target;
};

TEST_F(BaseButtonTest, BoundBeforeItsImagesItIsOwnerDrawnAndEmptyThenTakesTheUpImagesSize) {
    RECT rect;
    GetWindowRect(control, &rect);
    EXPECT_EQ(0, rect.right - rect.left);
    EXPECT_EQ(0, rect.bottom - rect.top);
    EXPECT_EQ(static_cast<LONG>(BS_OWNERDRAW), GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK);

    Fill(button.m_image[0], 48, 40, kUpColour);
    button.PreSubclassWindow();
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ((std::vector<LONG>{kLeft, kTop, kLeft + 48, kTop + 40}),
              (std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}));
}

TEST(BaseButtonDefaults, ConstructorLoadsThePackagesDefaultPicturesWhenOneIsLoaded) {
    {
        BaseButton empty;
        for (const MemoryBitmap& image : empty.m_image)
            EXPECT_EQ(0, image.width);
    }
    auto picture = [](int width) {
        return skintest::EncodePng(skintest::RgbaPicture(width, 3, std::vector<uint8_t>(width * 3 * 4, 255)));
    };
    skintest::PackageFile package;
    ASSERT_EQ(1, package.Load(skintest::BuildPackage(
                     {{"up2.png", picture(4)}, {"DOWN2.PNG", picture(5)}, {"disable2.png", picture(6)}})));
    BaseButton loaded;
    ReleaseSkinPack();
    EXPECT_EQ(4, loaded.m_image[0].dispWidth);
    EXPECT_EQ(5, loaded.m_image[1].dispWidth);
    EXPECT_EQ(6, loaded.m_image[2].dispWidth);
}

TEST_F(BaseButtonTest, ParentIsInvalidatedOncePerChangeOfThePressedState) {
    LoadImages();
    TakeParentInvalidation();
    const UINT states[] = {ODS_SELECTED, ODS_SELECTED | ODS_FOCUS, ODS_FOCUS, 0, ODS_DEFAULT, ODS_SELECTED};
    std::vector<bool> invalidated;
    for (UINT state : states) {
        DrawState(state);
        invalidated.push_back(TakeParentInvalidation());
    }
    EXPECT_EQ((std::vector<bool>{true, false, true, false, false, true}), invalidated);
}

// The bar's dialog hands each owner-draw request to its button through the class library;
// this parent does the same for the button kept in its user data.
LRESULT CALLBACK RelayOwnerDraw(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        if (auto* button = reinterpret_cast<BaseButton*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            button->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
            return TRUE;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The platform keeps a held button's pushed state while the pointer moves: dragged off the
// button it pops up, dragged back on it goes down again, and the composite follows.
TEST_F(BaseButtonTest, DraggingOffAHeldButtonShowsItUpAndBackOnShowsItDown) {
    LoadImages();
    SetWindowLongPtrW(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&button));
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RelayOwnerDraw));
    auto shown = [this] {
        Clear(target);
        button.DrawOnto(target);
        return PixelAt(target, kLeft, kTop);
    };
    const LPARAM inside = MAKELPARAM(5, 5);
    const LPARAM outside = MAKELPARAM(60, 40);  // beyond the 20 x 12 up image

    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(kDownColour, shown()) << "held";
    SendMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, outside);
    EXPECT_EQ(kUpColour, shown()) << "dragged off";
    SendMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, inside);
    EXPECT_EQ(kDownColour, shown()) << "dragged back on";
    SendMessageW(control, WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(kUpColour, shown()) << "released";
}

struct ImageCase {
    const char* label;
    bool enabled;
    bool pressed;
    COLORREF colour;
};

class BaseButtonImage : public BaseButtonTest, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(BaseButtonImage, DisabledWinsOverPressedWhichWinsOverUp) {
    const ImageCase& c = GetParam();
    LoadImages();
    DrawState(c.pressed ? ODS_SELECTED : 0);
    EnableWindow(control, c.enabled);
    button.DrawOnto(target);
    EXPECT_EQ(c.colour, PixelAt(target, kLeft, kTop));
    EXPECT_EQ(0u, PixelAt(target, kLeft - 1, kTop));
}

INSTANTIATE_TEST_SUITE_P(States, BaseButtonImage,
                         ::testing::Values(ImageCase{"Up", true, false, kUpColour},
                                           ImageCase{"Pressed", true, true, kDownColour},
                                           ImageCase{"DisabledAndPressed", false, true, kDisabledColour},
                                           ImageCase{"Disabled", false, false, kDisabledColour}),
                         [](const auto& info) { return std::string(info.param.label); });

struct CaptionCase {
    const char* label;
    const wchar_t* caption;
    bool pressed;
    bool enabled;
};

class BaseButtonCaption : public BaseButtonTest, public ::testing::WithParamInterface<CaptionCase> {};

// The caption is centred on the up image's size, whichever image is drawn: with an up
// image 7 pixels narrower than the text it starts 3 pixels left of the button (-7 / 2). Only
// the down image shifts it: a disabled button that is pressed keeps it in place.
TEST_P(BaseButtonCaption, IsCentredOnTheUpImageShiftedWhenPressedAndTheDeviceContextPutBack) {
    const CaptionCase& c = GetParam();
    SetWindowTextW(control, c.caption);
    // A text longer than 259 characters is measured and drawn cut to its first 259.
    const std::wstring shown = std::wstring(c.caption).substr(0, 259);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ before = SelectObject(target.hdc, GetStockObject(SYSTEM_FONT));
    SIZE extent{};
    HGDIOBJ measuring = SelectObject(target.hdc, font);
    GetTextExtentPoint32W(target.hdc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    SelectObject(target.hdc, measuring);
    Fill(button.m_image[0], extent.cx - 7, extent.cy + 4, kUpColour);
    Fill(button.m_image[1], extent.cx + 9, extent.cy + 1, kDownColour);  // another size than the up image
    Fill(button.m_image[2], extent.cx - 5, extent.cy + 2, kDisabledColour);
    button.PreSubclassWindow();
    DrawState(c.pressed ? ODS_SELECTED : 0);
    EnableWindow(control, c.enabled);
    SetBkMode(target.hdc, OPAQUE);

    button.DrawOnto(target);

    MemoryBitmap expected;
    expected.Create32(200, 100);
    Clear(expected);
    AlphaBlendBitmap(expected, button.m_image[!c.enabled ? 2 : c.pressed ? 1 : 0], kLeft, kTop);
    if (c.caption[0] != L'\0') {
        SelectObject(expected.hdc, font);
        SetBkMode(expected.hdc, TRANSPARENT);
        SetTextColor(expected.hdc, 0x143250);
        const int shift = c.enabled && c.pressed ? 2 : 0;
        TextOutW(expected.hdc, kLeft - 3 + shift, kTop + 2 + shift, shown.c_str(), static_cast<int>(shown.size()));
    }
    GdiFlush();
    EXPECT_EQ(skintest::PixelBytes(expected), skintest::PixelBytes(target));
    EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(target.hdc, OBJ_FONT));
    EXPECT_EQ(OPAQUE, GetBkMode(target.hdc));
    EXPECT_EQ(0x143250u, GetTextColor(target.hdc));
    SelectObject(target.hdc, before);
}

// 300 characters, different along the text, so that where it is cut moves where it starts.
const std::wstring kLongCaption = [] {
    std::wstring text;
    for (int i = 0; i < 30; ++i)
        text += L"Caps Lock" + std::to_wstring(i % 10);
    return text;
}();

INSTANTIATE_TEST_SUITE_P(Captions, BaseButtonCaption,
                         ::testing::Values(CaptionCase{"Released", L"Caps Lock", false, true},
                                           CaptionCase{"Pressed", L"Caps Lock", true, true},
                                           CaptionCase{"DisabledAndPressed", L"Caps Lock", true, false},
                                           CaptionCase{"Empty", L"", false, true},
                                           CaptionCase{"LongerThan259CutTo259", kLongCaption.c_str(), false, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(BaseButtonTest, NothingIsDrawnWhileTheParentIsHidden) {
    LoadImages();
    SetWindowTextW(control, L"Mute");
    ShowWindow(parent, SW_HIDE);
    button.DrawOnto(target);
    EXPECT_EQ(std::string(target.Stride() * target.height, '\0'), skintest::PixelBytes(target));
}

// A target whose creation failed (empty), or one with pixels but no device context: the button
// draws neither image nor caption and touches nothing.
TEST_F(BaseButtonTest, NothingIsDrawnIntoATargetWithoutDeviceContextOrPixels) {
    LoadImages();
    SetWindowTextW(control, L"Mute");
    MemoryBitmap empty;
    button.DrawOnto(empty);
    EXPECT_EQ(empty.bits, nullptr);

    const HDC dc = target.hdc;
    target.hdc = nullptr;
    button.DrawOnto(target);
    target.hdc = dc;
    EXPECT_EQ(std::string(target.Stride() * target.height, '\0'), skintest::PixelBytes(target));
}

// Hover and leave only make the control repaint itself: what the button blends into the
// composite stays the same, pressed or not.
TEST_F(BaseButtonTest, HoverAndLeaveDoNotChangeTheDrawing) {
    LoadImages();
    SetWindowTextW(control, L"Mute");
    for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
        DrawState(state);
        auto drawing = [this] {
            Clear(target);
            button.DrawOnto(target);
            GdiFlush();
            return skintest::PixelBytes(target);
        };
        const skintest::Bytes before = drawing();
        const std::pair<UINT, LPARAM> messages[] = {
            {WM_MOUSEMOVE, MAKELPARAM(5, 5)}, {WM_MOUSEHOVER, MAKELPARAM(5, 5)}, {WM_MOUSELEAVE, 0}};
        for (const auto& [message, point] : messages) {
            SendMessageW(control, message, 0, point);
            EXPECT_EQ(drawing(), before) << "after message 0x" << std::hex << message << " in state " << state;
        }
    }
}

TEST_F(BaseButtonTest, TrackingIsRequestedOnTheFirstMoveAndAgainAfterTheLeave) {
    LoadImages();
    SetWindowPos(parent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    POINT inside{kLeft + 5, kTop + 5};
    ClientToScreen(parent, &inside);
    SetCursorPos(inside.x, inside.y);

    auto tracked = [this] {
        TRACKMOUSEEVENT query{};
        query.cbSize = sizeof(query);
        query.dwFlags = TME_QUERY;
        _TrackMouseEvent(&query);
        return query.hwndTrack == control && (query.dwFlags & TME_LEAVE) != 0;
    };
    auto cancel = [this] {
        TRACKMOUSEEVENT stop{};
        stop.cbSize = sizeof(stop);
        stop.dwFlags = TME_CANCEL | TME_HOVER | TME_LEAVE;
        stop.hwndTrack = control;
        _TrackMouseEvent(&stop);
    };
    const LPARAM point = MAKELPARAM(5, 5);

    ValidateRect(control, nullptr);
    SendMessageW(control, WM_MOUSEMOVE, 0, point);
    EXPECT_TRUE(tracked());
    EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));  // every move invalidates the button

    cancel();
    SendMessageW(control, WM_MOUSEMOVE, 0, point);
    EXPECT_FALSE(tracked()) << "a move while tracking asks again";

    SendMessageW(control, WM_MOUSELEAVE, 0, 0);
    SendMessageW(control, WM_MOUSEMOVE, 0, point);
    EXPECT_TRUE(tracked()) << "the first move after the leave asks again";
    cancel();
}

}  // namespace
