// Draws the images of one sample skin and packs them into a skin package, one PNG entry per
// image that the bar loads, in the bar's order of loading. Usage:
//   skinart vantelo|pemro 64|50 PACKAGE.SKN
// "64" draws for screens 1024 pixels wide and more, "50" for the narrower ones. A build tool
// that runs on the build host; the package is written under a temporary name and then
// moved into place, so a failed run leaves no partial package.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skinart/BackgroundArt.h"
#include "tools/skinart/ButtonArt.h"
#include "tools/skinart/PngEncoder.h"
#include "tools/skinpack/SkinPackWriter.h"

namespace {

using namespace skinart;

bool Add(skinpack::SkinPackWriter& package, const std::string& name, const canvas::Canvas& image) {
    std::vector<std::uint8_t> png = EncodePng(image);
    if (png.empty()) {
        std::fprintf(stderr, "skinart: cannot encode %s\n", name.c_str());
        return false;
    }
    const std::string refused = package.Add(name, std::move(png));
    if (refused.empty())
        return true;
    std::fprintf(stderr, "skinart: %s\n", refused.c_str());
    return false;
}

bool DrawSkin(const SkinGeometry& geometry, const SkinPalette& palette, skinpack::SkinPackWriter& package) {
    const struct {
        const char* name;
        BackgroundPiece piece;
    } pieces[] = {{"LeftBg.PNG", BackgroundPiece::Left},
                  {"MiddleBg.PNG", BackgroundPiece::Middle},
                  {"RightBg.PNG", BackgroundPiece::Right},
                  {"SingleBg.PNG", BackgroundPiece::Single}};
    for (const auto& p : pieces)
        if (!Add(package, p.name, DrawBackground(p.piece, geometry, palette)))
            return false;

    auto button = [&](int number, const std::string& stem) {
        return Add(package, stem + "_UP.PNG", DrawButton(number, false, geometry.buttonSize, palette)) &&
               Add(package, stem + "_DOWN.PNG", DrawButton(number, true, geometry.buttonSize, palette));
    };
    for (int k = 1; k <= kFunctionButtons; ++k)
        if (!button(k, "BTN" + std::to_string(k)))
            return false;
    return button(kHideButton, "EXIT");
}

bool WritePackage(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string partial = path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool known = argc == 4 && (std::strcmp(argv[1], "vantelo") == 0 || std::strcmp(argv[1], "pemro") == 0) &&
                       (std::strcmp(argv[2], "64") == 0 || std::strcmp(argv[2], "50") == 0);
    if (!known) {
        std::fprintf(stderr, "usage: skinart vantelo|pemro 64|50 PACKAGE.SKN\n");
        return 2;
    }
    const SkinPalette& palette = std::strcmp(argv[1], "pemro") == 0 ? kPemroPalette : kVanteloPalette;
    const SkinGeometry& geometry = std::strcmp(argv[2], "64") == 0 ? kWideScreenSkin : kNarrowScreenSkin;
    skinpack::SkinPackWriter package;
    if (!DrawSkin(geometry, palette, package))
        return 1;
    if (!WritePackage(argv[3], package.Build())) {
        std::fprintf(stderr, "skinart: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
