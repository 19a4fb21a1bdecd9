#include "tools/skinart/ButtonArt.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "tools/canvas/Shapes.h"

namespace skinart {

using namespace canvas;

namespace {

constexpr Color kWhite{1, 1, 1, 1};
constexpr Color kBlack{0, 0, 0, 1};
constexpr float kPi = 3.14159265358979f;

// Glyphs are drawn in a unit square; strokes are this wide on either side of their line.
constexpr float kLine = 0.042f;
constexpr float kThin = 0.034f;

Shape ArrowHead(Point tip, float degrees, float size) {
    const float a = degrees * kPi / 180;
    const Point back{tip.x - size * std::cos(a), tip.y + size * std::sin(a)};
    const Point side{size * 0.6f * std::sin(a), size * 0.6f * std::cos(a)};
    return Polygon({tip, {back.x + side.x, back.y + side.y}, {back.x - side.x, back.y - side.y}});
}

Shape Speaker() {
    return Polygon({{0.24f, 0.42f}, {0.33f, 0.42f}, {0.46f, 0.30f}, {0.46f, 0.70f}, {0.33f, 0.58f}, {0.24f, 0.58f}});
}

Shape Padlock() {
    return Union({RoundRect(0.57f, 0.56f, 0.79f, 0.74f, 0.03f), Arc(0.68f, 0.56f, 0.065f, 0, 180, 0.026f)});
}

Shape Sun(float core, float rayFrom, float rayTo, bool hollow) {
    Shape rays = [=](float x, float y) {
        for (int i = 0; i < 8; ++i) {
            const float a = i * kPi / 4;
            const float c = std::cos(a), s = std::sin(a);
            if (Stroke(0.5f + rayFrom * c, 0.5f - rayFrom * s, 0.5f + rayTo * c, 0.5f - rayTo * s, kThin)(x, y))
                return true;
        }
        return false;
    };
    return Union({hollow ? Ring(0.5f, 0.5f, core, kThin) : Circle(0.5f, 0.5f, core), rays});
}

// A monitor's outline with its stand, within [x0, x1] x [y0, y1] (the stand below y1).
Shape Monitor(float x0, float y0, float x1, float y1) {
    const float mid = (x0 + x1) / 2;
    return Union({Minus(RoundRect(x0, y0, x1, y1, 0.04f),
                        RoundRect(x0 + 2 * kLine, y0 + 2 * kLine, x1 - 2 * kLine, y1 - 2 * kLine, 0.01f)),
                  Stroke(mid, y1, mid, y1 + 0.08f, kLine),
                  Stroke(mid - 0.09f, y1 + 0.09f, mid + 0.09f, y1 + 0.09f, kLine)});
}

Shape LetterA(float x0, float x1, float y0, float y1, float half) {
    const float mid = (x0 + x1) / 2, bar = y0 + (y1 - y0) * 0.68f;
    return Union({Polyline({{x0, y1}, {mid, y0}, {x1, y1}}, half),
                  Stroke(x0 + (mid - x0) * 0.33f, bar, x1 - (x1 - mid) * 0.33f, bar, half)});
}

Shape Glyph(int button) {
    switch (button) {
        case 1:  // Bluetooth
            return Polyline(
                {{0.37f, 0.37f}, {0.62f, 0.61f}, {0.50f, 0.73f}, {0.50f, 0.27f}, {0.62f, 0.39f}, {0.37f, 0.63f}},
                kLine);
        case 2:  // Sleep: a crescent moon and a small z
            return Union({Minus(Circle(0.46f, 0.53f, 0.21f), Circle(0.58f, 0.45f, 0.18f)),
                          Polyline({{0.60f, 0.26f}, {0.72f, 0.26f}, {0.60f, 0.38f}, {0.72f, 0.38f}}, 0.026f)});
        case 3:  // Power feature: a leaf with its vein and stem
            return Union({Minus(Intersect(Circle(0.683f, 0.663f, 0.385f), Circle(0.337f, 0.317f, 0.385f)),
                                Stroke(0.40f, 0.60f, 0.64f, 0.36f, 0.018f)),
                          Stroke(0.25f, 0.75f, 0.40f, 0.60f, kThin)});
        case 4: {  // CRT/LCD switch: a notebook in front of a monitor
            const Shape notebook =
                Union({RoundRect(0.22f, 0.48f, 0.50f, 0.66f, 0.02f), Stroke(0.18f, 0.71f, 0.54f, 0.71f, kThin)});
            const Shape gap =
                Union({RoundRect(0.17f, 0.43f, 0.55f, 0.70f, 0.04f), Stroke(0.14f, 0.71f, 0.58f, 0.71f, 0.08f)});
            return Union({Minus(Monitor(0.36f, 0.26f, 0.80f, 0.56f), gap), notebook});
        }
        case 5:  // Wireless: a dot and two waves
            return Union({Circle(0.5f, 0.69f, 0.06f), Arc(0.5f, 0.69f, 0.19f, 40, 140, kLine),
                          Arc(0.5f, 0.69f, 0.34f, 40, 140, kLine)});
        case 6:  // 3G
            return Union({Arc(0.32f, 0.415f, 0.085f, 270, 150, kThin), Arc(0.32f, 0.585f, 0.085f, 210, 90, kThin),
                          Arc(0.65f, 0.5f, 0.13f, 40, 360, kThin), Stroke(0.66f, 0.5f, 0.78f, 0.5f, kThin)});
        case 7:  // Webcam: a lens on a foot
            return Union({Ring(0.5f, 0.45f, 0.17f, kLine), Circle(0.5f, 0.45f, 0.065f),
                          Stroke(0.5f, 0.66f, 0.5f, 0.74f, kLine), Stroke(0.37f, 0.74f, 0.63f, 0.74f, kLine)});
        case 8:  // Mute: a speaker and a cross
            return Union(
                {Speaker(), Stroke(0.57f, 0.41f, 0.73f, 0.59f, kLine), Stroke(0.73f, 0.41f, 0.57f, 0.59f, kLine)});
        case 9:  // Volume down: a speaker and one wave
            return Union({Speaker(), Arc(0.46f, 0.5f, 0.13f, -45, 45, kLine)});
        case 10:  // Volume up: a speaker and two waves
            return Union({Speaker(), Arc(0.46f, 0.5f, 0.13f, -45, 45, kLine), Arc(0.46f, 0.5f, 0.25f, -45, 45, kLine)});
        case 11:  // Brightness down: a small hollow sun with short rays
            return Sun(0.10f, 0.19f, 0.23f, true);
        case 12:  // Brightness up: a full sun with long rays
            return Sun(0.12f, 0.20f, 0.31f, false);
        case 13:  // Caps Lock: A and a padlock
            return Union({LetterA(0.22f, 0.52f, 0.28f, 0.70f, kLine), Padlock()});
        case 14:  // Num Lock: 1 and a padlock
            return Union({Polyline({{0.29f, 0.37f}, {0.40f, 0.28f}, {0.40f, 0.70f}}, kLine),
                          Stroke(0.30f, 0.70f, 0.50f, 0.70f, kLine), Padlock()});
        case 15:  // Scroll Lock: an up-and-down arrow and a padlock
            return Union({Stroke(0.38f, 0.33f, 0.38f, 0.67f, kLine), ArrowHead({0.38f, 0.25f}, 90, 0.13f),
                          ArrowHead({0.38f, 0.75f}, 270, 0.13f), Padlock()});
        case 16:  // Auto adjust: corner marks round an A
            return Union({Polyline({{0.22f, 0.37f}, {0.22f, 0.27f}, {0.32f, 0.27f}}, kThin),
                          Polyline({{0.68f, 0.27f}, {0.78f, 0.27f}, {0.78f, 0.37f}}, kThin),
                          Polyline({{0.22f, 0.63f}, {0.22f, 0.73f}, {0.32f, 0.73f}}, kThin),
                          Polyline({{0.68f, 0.73f}, {0.78f, 0.73f}, {0.78f, 0.63f}}, kThin),
                          LetterA(0.39f, 0.61f, 0.37f, 0.63f, kThin)});
        case 17:  // White balance: WB
            return Union(
                {Polyline({{0.20f, 0.34f}, {0.265f, 0.66f}, {0.335f, 0.44f}, {0.405f, 0.66f}, {0.47f, 0.34f}}, kThin),
                 Stroke(0.56f, 0.34f, 0.56f, 0.66f, kThin), Stroke(0.56f, 0.34f, 0.64f, 0.34f, kThin),
                 Stroke(0.56f, 0.49f, 0.65f, 0.49f, kThin), Stroke(0.56f, 0.66f, 0.65f, 0.66f, kThin),
                 Arc(0.64f, 0.415f, 0.075f, 270, 90, kThin), Arc(0.65f, 0.575f, 0.085f, 270, 90, kThin)});
        case 18:  // Panel default: a turning-back arrow
            return Union({Arc(0.5f, 0.53f, 0.20f, 110, 50, kLine), ArrowHead({0.60f, 0.33f}, 0, 0.22f)});
        case 19: {  // CRT in detect: a monitor under a magnifying glass
            const Shape lens = Union({Ring(0.64f, 0.60f, 0.10f, kLine), Stroke(0.715f, 0.675f, 0.79f, 0.75f, 0.05f)});
            return Union(
                {Minus(Monitor(0.20f, 0.26f, 0.68f, 0.56f), Circle(0.64f, 0.60f, 0.10f + 2.5f * kLine)), lens});
        }
        case kHideButton:  // Hide to the notification area: down into the tray
            return Union({Polyline({{0.34f, 0.34f}, {0.50f, 0.50f}, {0.66f, 0.34f}}, kLine),
                          Stroke(0.30f, 0.66f, 0.70f, 0.66f, kLine)});
    }
    throw std::invalid_argument("no glyph for button " + std::to_string(button));
}

}  // namespace

Canvas DrawButton(int button, bool pressed, int size, const SkinPalette& palette) {
    const float px = 1.0f / size;
    auto key = [](float inset) {
        return RoundRect(0.04f + inset, 0.04f + inset, 0.96f - inset, 0.96f - inset, 0.22f - inset);
    };
    const Shape glyph = Glyph(button);

    Canvas c(size, size, static_cast<float>(size));
    if (!pressed) {
        c.Fill(key(0), VerticalGradient(0, palette.keyTop, 1, palette.keyBottom));
        c.Fill(Intersect(key(1.5f * px), [](float, float y) { return y < 0.5f; }),
               VerticalGradient(0, WithAlpha(kWhite, 0.22f), 0.5f, WithAlpha(kWhite, 0)));
        c.Fill(Minus(key(0), key(px)), VerticalGradient(0, WithAlpha(kWhite, 0.45f), 1, WithAlpha(kWhite, 0.10f)));
        c.Fill(Offset(glyph, 0, px), WithAlpha(kBlack, 0.45f));
        c.Fill(glyph, palette.glyph);
    } else {
        c.Fill(key(0), VerticalGradient(0, palette.pressedTop, 1, palette.pressedBottom));
        c.Fill(key(px),
               RadialGradient(0.5f, 0.55f, 0.5f, WithAlpha(palette.accent, 0.40f), WithAlpha(palette.accent, 0)));
        c.Fill(Minus(key(px), Offset(key(px), 0, 2 * px)), WithAlpha(kBlack, 0.45f));
        c.Fill(Minus(key(0), key(1.2f * px)), WithAlpha(palette.accent, 0.90f));
        const Shape lowered = Offset(glyph, 0, px);
        c.Fill(Offset(lowered, 0, px), WithAlpha(kBlack, 0.35f));
        c.Fill(lowered, Mix(palette.accent, kWhite, 0.35f));
    }
    return c;
}

}  // namespace skinart
