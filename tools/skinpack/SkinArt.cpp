// Draws the images of one sample skin into a folder, one PNG file per entry that the bar
// loads. Usage: skinart vantelo|pemro 64|50 FOLDER
// "64" draws for screens 1024 pixels wide and more, "50" for the narrower ones.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skinpack/BackgroundArt.h"
#include "tools/skinpack/ButtonArt.h"
#include "tools/skinpack/PngFile.h"

namespace {

using namespace skinart;

bool Write(const std::string& folder, const std::string& name, const canvas::Canvas& image) {
    if (WritePng(folder + "/" + name, image))
        return true;
    std::fprintf(stderr, "skinart: cannot write %s/%s\n", folder.c_str(), name.c_str());
    return false;
}

bool DrawSkin(const SkinGeometry& geometry, const SkinPalette& palette, const std::string& folder) {
    const struct {
        const char* name;
        BackgroundPiece piece;
    } pieces[] = {{"LeftBg.PNG", BackgroundPiece::Left},
                  {"MiddleBg.PNG", BackgroundPiece::Middle},
                  {"RightBg.PNG", BackgroundPiece::Right},
                  {"SingleBg.PNG", BackgroundPiece::Single}};
    for (const auto& p : pieces)
        if (!Write(folder, p.name, DrawBackground(p.piece, geometry, palette)))
            return false;

    auto button = [&](int number, const std::string& stem) {
        return Write(folder, stem + "_UP.PNG", DrawButton(number, false, geometry.buttonSize, palette)) &&
               Write(folder, stem + "_DOWN.PNG", DrawButton(number, true, geometry.buttonSize, palette));
    };
    for (int k = 1; k <= kFunctionButtons; ++k)
        if (!button(k, "BTN" + std::to_string(k)))
            return false;
    return button(kHideButton, "EXIT");
}

}  // namespace

int main(int argc, char** argv) {
    const bool known = argc == 4 && (std::strcmp(argv[1], "vantelo") == 0 || std::strcmp(argv[1], "pemro") == 0) &&
                       (std::strcmp(argv[2], "64") == 0 || std::strcmp(argv[2], "50") == 0);
    if (!known) {
        std::fprintf(stderr, "usage: skinart vantelo|pemro 64|50 FOLDER\n");
        return 2;
    }
    const SkinPalette& palette = std::strcmp(argv[1], "pemro") == 0 ? kPemroPalette : kVanteloPalette;
    const SkinGeometry& geometry = std::strcmp(argv[2], "64") == 0 ? kWideScreenSkin : kNarrowScreenSkin;
    return DrawSkin(geometry, palette, argv[3]) ? 0 : 1;
}
