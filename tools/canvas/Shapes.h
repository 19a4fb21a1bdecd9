// Shapes and paints for Canvas, in drawing units with y growing downwards. Angles are in
// degrees, counter-clockwise as seen on screen, 0 pointing right.
#pragma once

#include <initializer_list>
#include <vector>

#include "tools/canvas/Canvas.h"

namespace canvas {

struct Point {
    float x, y;
};

Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Circle(float cx, float cy, float radius);
Shape Ring(float cx, float cy, float radius, float halfWidth);
// A line with round ends, halfWidth on either side.
Shape Stroke(float x0, float y0, float x1, float y1, float halfWidth);
// Connected strokes through the points.
Shape Polyline(std::vector<Point> points, float halfWidth);
// Part of a ring from `fromDegrees` counter-clockwise to `toDegrees`, with round ends.
Shape Arc(float cx, float cy, float radius, float fromDegrees, float toDegrees, float halfWidth);
// Even-odd filled polygon.
Shape Polygon(std::vector<Point> points);

Shape Union(std::initializer_list<Shape> shapes);
Shape Minus(Shape shape, Shape cut);
Shape Intersect(Shape a, Shape b);
Shape Offset(Shape shape, float dx, float dy);

// Colour changing linearly from `top` at y0 to `bottom` at y1, constant beyond them.
Paint VerticalGradient(float y0, Color top, float y1, Color bottom);
// Colour changing with the distance from (cx, cy): `inner` at the centre, `outer` at radius.
Paint RadialGradient(float cx, float cy, float radius, Color inner, Color outer);

}  // namespace canvas
