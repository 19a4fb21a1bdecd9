// Small value types that handler signatures use.
#pragma once

#include <windows.h>

// A point; built from a mouse message's LPARAM it takes the signed 16-bit coordinates.
struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(int px, int py) : POINT{px, py} {}
    explicit CPoint(LPARAM packed) : POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))} {}
};
