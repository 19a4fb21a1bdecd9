#include "bar/BarSurface.h"

void BlendBackgroundPieces(MemoryBitmap& surface, int visibleButtons, const MemoryBitmap& left,
                           const MemoryBitmap& middle, const MemoryBitmap& right, const MemoryBitmap& single) {
    if (visibleButtons == 1) {
        AlphaBlendBitmap(surface, single, 0, 0);
        return;
    }
    AlphaBlendBitmap(surface, left, 0, 0);
    if (visibleButtons != 2) {
        for (int i = 2; i <= visibleButtons; ++i)
            AlphaBlendBitmap(surface, middle, (i - 1) * middle.width, 0);
    }
    AlphaBlendBitmap(surface, right, surface.width - right.width, 0);
}
