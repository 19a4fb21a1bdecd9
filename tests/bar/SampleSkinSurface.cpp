#include "SampleSkinSurface.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "skin/SkinImage.h"
#include "skin/SkinPack.h"

namespace bartest {

ExpectedSurface::ExpectedSurface(int cells) {
    LoadSkinPack(L"img\\Vantelo64.SKN");
    surface_.Create32(cells * kCell, kCellHeight);
}

void ExpectedSurface::Blend(const std::wstring& entry, int x, int y) {
    MemoryBitmap picture;
    ASSERT_EQ(LoadSkinBitmap(entry.c_str(), picture), 1) << testsupport::WideToUtf8(entry);
    AlphaBlendBitmap(surface_, picture, x, y);
}

void ExpectedSurface::Pieces(const std::vector<Piece>& pieces) {
    for (const Piece& p : pieces)
        Blend(L"img\\" + p.entry, p.x, 0);
}

void ExpectedSurface::Buttons(const std::vector<ButtonAt>& buttons) {
    for (const ButtonAt& b : buttons)
        Blend(L"img\\" + b.entry, b.slot * kCell + kSlotX, kSlotY);
}

long FirstDifference(const MemoryBitmap& actual, const MemoryBitmap& expected) {
    if (actual.width != expected.width || actual.height != expected.height || !actual.bits || !expected.bits)
        return 0;
    const long size = static_cast<long>(actual.Stride()) * actual.height;
    for (long i = 0; i < size; ++i)
        if (actual.bits[i] != expected.bits[i])
            return i;
    return -1;
}

std::vector<Piece> NineteenButtonPieces() {
    std::vector<Piece> pieces{{L"LeftBg.PNG", 0}};
    for (int i = 1; i <= 18; ++i)
        pieces.push_back({L"MiddleBg.PNG", i * kCell});
    pieces.push_back({L"RightBg.PNG", 19 * kCell});
    return pieces;
}

namespace {

std::wstring UpPicture(int button) {
    return L"BTN" + std::to_wstring(button) + L"_UP.PNG";
}

}  // namespace

std::vector<ButtonAt> NineteenButtons() {
    std::vector<ButtonAt> buttons;
    for (int k = 1; k <= 18; ++k)
        buttons.push_back({UpPicture(k), k < 5 ? k - 1 : k});
    buttons.push_back({UpPicture(19), 4});
    buttons.push_back({L"EXIT_UP.PNG", 19});
    return buttons;
}

}  // namespace bartest
