// Writes a canvas as an 8-bit RGBA, non-interlaced PNG: the kind the bar's decoder takes
// with every pixel's own alpha.
#pragma once

#include <string>

#include "tools/canvas/Canvas.h"

namespace skinart {

bool WritePng(const std::string& path, const canvas::Canvas& image);

}  // namespace skinart
