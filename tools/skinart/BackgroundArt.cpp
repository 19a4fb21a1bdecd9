#include "tools/skinart/BackgroundArt.h"

#include "tools/canvas/Shapes.h"

namespace skinart {

using namespace canvas;

namespace {

constexpr Color kWhite{1, 1, 1, 1};
constexpr Color kBlack{0, 0, 0, 1};

}  // namespace

Canvas DrawBackground(BackgroundPiece piece, const SkinGeometry& geometry, const SkinPalette& palette) {
    const float w = static_cast<float>(geometry.cellWidth);
    const float h = static_cast<float>(geometry.cellHeight);
    const float radius = h * 0.32f;
    // The pane's horizontal extent in this piece's pixels; an open end runs past the edge so
    // that nothing of the rounding shows there.
    const float beyond = radius + 2;
    float left = 0.5f, right = w + beyond, width = w;
    switch (piece) {
        case BackgroundPiece::Left:
            break;
        case BackgroundPiece::Middle:
            left = -beyond;
            break;
        case BackgroundPiece::Right:
            left = -beyond;
            right = w - 0.5f;
            break;
        case BackgroundPiece::Single:
            width = 2 * w;
            right = width - 0.5f;
            break;
    }
    auto pane = [&](float inset) {
        return RoundRect(left + inset, 0.5f + inset, right - inset, h - 0.5f - inset, radius - inset);
    };

    Canvas c(static_cast<int>(width), geometry.cellHeight, 1);
    c.Fill(pane(0), VerticalGradient(0, palette.panelTop, h, palette.panelBottom));
    c.Fill(Intersect(pane(1.5f), [h](float, float y) { return y < h * 0.5f; }),
           VerticalGradient(0, WithAlpha(kWhite, 0.20f), h * 0.5f, WithAlpha(kWhite, 0)));

    // The light strip runs in the middle of the band above the buttons.
    const float band = 3.0f * (geometry.cellHeight - geometry.buttonSize) / 4;
    const float stripY = band / 2;
    const float stripLeft = left + radius, stripRight = right - radius;
    c.Fill(Stroke(stripLeft, stripY, stripRight, stripY, 2.6f), WithAlpha(palette.accent, 0.22f));
    c.Fill(Stroke(stripLeft, stripY, stripRight, stripY, 0.85f), WithAlpha(Mix(palette.accent, kWhite, 0.3f), 0.95f));

    c.Fill(Minus(pane(1), pane(2)), VerticalGradient(0, WithAlpha(kWhite, 0.40f), h, WithAlpha(kWhite, 0.06f)));
    c.Fill(Minus(pane(0), pane(1)), WithAlpha(kBlack, 0.55f));
    return c;
}

}  // namespace skinart
