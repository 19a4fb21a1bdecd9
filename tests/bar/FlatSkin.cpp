#include "FlatSkin.h"

#include <vector>

#include "SkinFixtures.h"
#include "TestSupport.h"
#include "bar/ButtonSet.h"

namespace bartest {

namespace {

skintest::Bytes FlatPng(int width, int height, COLORREF colour) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(), {GetRValue(colour), GetGValue(colour), GetBValue(colour), 255});
    return skintest::EncodePng(skintest::RgbaPicture(width, height, rgba));
}

}  // namespace

void WriteFlatSkin(const std::wstring& path, const FlatSkin& skin) {
    const skintest::Bytes cell = FlatPng(skin.cellWidth, skin.cellHeight, skin.background);
    const skintest::Bytes button = FlatPng(skin.buttonSize, skin.buttonSize, skin.button);
    std::vector<skintest::PackEntry> entries{
        {"LeftBg.PNG", cell},
        {"MiddleBg.PNG", cell},
        {"RightBg.PNG", cell},
        {"SingleBg.PNG", FlatPng(2 * skin.cellWidth, skin.cellHeight, skin.background)}};
    auto addButton = [&](const std::string& stem) {
        entries.push_back({stem + "_UP.PNG", button});
        entries.push_back({stem + "_DOWN.PNG", button});
    };
    for (int k = 1; k <= kFunctionButtons; ++k)
        addButton("BTN" + std::to_string(k));
    addButton("EXIT");
    testsupport::WriteWholeFile(path, skintest::BuildPackage(entries));
}

COLORREF OpaquePixel(const MemoryBitmap& bitmap, int x, int y) {
    if (!bitmap.bits || bitmap.bpp != 32 || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height)
        return 0xFFFFFFFF;
    const BYTE* p = bitmap.bits + y * bitmap.Stride() + 4 * x;
    return p[3] == 255 ? RGB(p[2], p[1], p[0]) : 0xFFFFFFFF;
}

}  // namespace bartest
