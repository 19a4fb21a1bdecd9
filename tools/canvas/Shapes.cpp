#include "tools/canvas/Shapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace canvas {

namespace {

constexpr float kPi = 3.14159265358979f;

float DistanceToSegment(float x, float y, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float lengthSquared = dx * dx + dy * dy;
    const float t = lengthSquared > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / lengthSquared, 0.0f, 1.0f) : 0;
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

// Screen angle of (x, y) around the centre, 0 to 360, counter-clockwise with y downwards.
float AngleOf(float cx, float cy, float x, float y) {
    const float degrees = std::atan2(cy - y, x - cx) * 180 / kPi;
    return degrees < 0 ? degrees + 360 : degrees;
}

Point OnCircle(float cx, float cy, float radius, float degrees) {
    const float radians = degrees * kPi / 180;
    return Point{cx + radius * std::cos(radians), cy - radius * std::sin(radians)};
}

}  // namespace

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        const float cx = std::clamp(x, x0 + radius, x1 - radius);
        const float cy = std::clamp(y, y0 + radius, y1 - radius);
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape Circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape Ring(float cx, float cy, float radius, float halfWidth) {
    return [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) <= halfWidth; };
}

Shape Stroke(float x0, float y0, float x1, float y1, float halfWidth) {
    return [=](float x, float y) { return DistanceToSegment(x, y, {x0, y0}, {x1, y1}) <= halfWidth; };
}

Shape Polyline(std::vector<Point> points, float halfWidth) {
    return [points = std::move(points), halfWidth](float x, float y) {
        for (size_t i = 1; i < points.size(); ++i)
            if (DistanceToSegment(x, y, points[i - 1], points[i]) <= halfWidth)
                return true;
        return false;
    };
}

Shape Arc(float cx, float cy, float radius, float fromDegrees, float toDegrees, float halfWidth) {
    const float span = std::fmod(std::fmod(toDegrees - fromDegrees, 360.0f) + 360.0f, 360.0f);
    const Point start = OnCircle(cx, cy, radius, fromDegrees);
    const Point end = OnCircle(cx, cy, radius, toDegrees);
    return [=](float x, float y) {
        if (std::hypot(x - start.x, y - start.y) <= halfWidth || std::hypot(x - end.x, y - end.y) <= halfWidth)
            return true;
        if (std::fabs(std::hypot(x - cx, y - cy) - radius) > halfWidth)
            return false;
        const float along = std::fmod(AngleOf(cx, cy, x, y) - fromDegrees + 720.0f, 360.0f);
        return along <= span;
    };
}

Shape Polygon(std::vector<Point> points) {
    return [points = std::move(points)](float x, float y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point a = points[i], b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    };
}

Shape Union(std::initializer_list<Shape> shapes) {
    return [parts = std::vector<Shape>(shapes)](float x, float y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
    };
}

Shape Minus(Shape shape, Shape cut) {
    return [shape = std::move(shape), cut = std::move(cut)](float x, float y) { return shape(x, y) && !cut(x, y); };
}

Shape Intersect(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) && b(x, y); };
}

Shape Offset(Shape shape, float dx, float dy) {
    return [shape = std::move(shape), dx, dy](float x, float y) { return shape(x - dx, y - dy); };
}

Paint VerticalGradient(float y0, Color top, float y1, Color bottom) {
    return [=](float, float y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); };
}

Paint RadialGradient(float cx, float cy, float radius, Color inner, Color outer) {
    return [=](float x, float y) {
        return Mix(inner, outer, std::clamp(std::hypot(x - cx, y - cy) / radius, 0.0f, 1.0f));
    };
}

}  // namespace canvas
