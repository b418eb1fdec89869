// Per-size geometry of the readings page and design-coordinate scaling. Portable.
#ifndef ZUVELS_READINGS_LAYOUT_H
#define ZUVELS_READINGS_LAYOUT_H

struct ButtonPlace {
    int x, y, w, h;
};
struct SizeLayout {
    int winW, winH;
    double sx, sy;
    int cellLeft[4];
    int cellWidth;
    int cellTop, cellBottom;
    int lampDiameter;
    ButtonPlace learnAfterSize;  // after a size change
    ButtonPlace learnOnPaint;    // on main-window paint
    int fontLargeH, fontLargeW, fontSmallH, fontSmallW;
};
// sizeMode 1..5 (out-of-range values clamp).
const SizeLayout& sizeLayout(int sizeMode);

// Design point to pixel: trunc(v * scale), formed in double precision.
inline int scaleCoord(int v, double scale) { return static_cast<int>(v * scale); }

#endif
