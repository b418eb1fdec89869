// The five window sizes (shownSize 1..5): the screen each needs, the main
// window's outer size, the scale of design points and the dashboard font
// sizes. The one home of these numbers; the pages keep their own per-size
// geometry. Portable.
#ifndef ZUVELS_SHELL_SIZES_H
#define ZUVELS_SHELL_SIZES_H

enum : int { SizeModeCount = 5 };

// A control's place in client pixels.
struct ButtonPlace {
    int x, y, w, h;
};

struct WindowSize {
    int screenW, screenH;  // smallest desktop that offers this size
    int winW, winH;        // outer size of the main window
    double sx, sy;         // design point to pixel (dashboardScale)
    int fontLargeH, fontLargeW, fontSmallH, fontSmallW;
};
// sizeMode 1..5 (out-of-range values clamp).
const WindowSize& windowSize(int sizeMode);

// Largest shownSize whose window fits a screen whose desktop rectangle ends
// at (w, h); 1 when none of the larger ones does.
int largestSizeFor(long w, long h);

// Design point to pixel: trunc(v * scale), formed in double precision.
inline int scaleCoord(int v, double scale) { return static_cast<int>(v * scale); }

#endif
