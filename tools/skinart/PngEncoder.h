// Encodes a canvas as an 8-bit RGBA, non-interlaced PNG: the kind the bar's decoder takes
// with every pixel's own alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/canvas/Canvas.h"

namespace skinart {

// The PNG file's bytes; empty when libpng reports an error.
std::vector<std::uint8_t> EncodePng(const canvas::Canvas& image);

}  // namespace skinart
