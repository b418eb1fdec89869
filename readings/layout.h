// Per-size geometry of the readings page: pixel values of their own, not
// scaled design coordinates. Portable.
#ifndef ZUVELS_READINGS_LAYOUT_H
#define ZUVELS_READINGS_LAYOUT_H

#include "shell/sizes.h"

struct ReadingsLayout {
    int cellLeft[4];
    int cellWidth;
    int cellTop, cellBottom;
    int lampDiameter;
    ButtonPlace learnAfterSize;  // after a size change
    ButtonPlace learnOnCreate;   // where a created page has it
};
// sizeMode 1..5 (out-of-range values clamp).
const ReadingsLayout& readingsLayout(int sizeMode);

// Where the page stands in the main window's client area (placed at its
// creation).
enum : int { ReadingsPageX = -5, ReadingsPageY = -10 };

#endif
