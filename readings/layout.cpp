#include "readings/layout.h"

namespace {

// One row per window size; the cells, lamp and button are pixel values of
// their own, not scaled design coordinates.
// clang-format off
const SizeLayout layouts[5] = {
    // winW, winH, sx, sy, cell left edges, cell width, cell top, bottom, lamp,
    // learn button after a size change, on main-window paint, font sizes
    {640, 450, 0.8, 0.77, {113, 172, 231, 290}, 57, 123, 142, 22,
     {540, 358, 71, 30}, {540, 358, 71, 30}, 28, 11, 14, 6},
    {800, 570, 1.0, 1.0, {140, 214, 288, 362}, 72, 160, 185, 30,
     {695, 465, 70, 40}, {685, 465, 80, 40}, 36, 14, 18, 8},
    {1024, 738, 1.28, 1.32, {180, 274, 368, 462}, 92, 211, 243, 40,
     {880, 610, 95, 60}, {875, 610, 105, 60}, 49, 18, 18, 8},
    {1280, 930, 1.6, 1.69, {225, 343, 461, 579}, 115, 268, 313, 50,
     {1100, 780, 120, 75}, {1100, 780, 120, 75}, 62, 23, 24, 12},
    {1280, 994, 1.6, 1.81, {225, 343, 461, 579}, 115, 288, 335, 55,
     {1100, 840, 120, 75}, {1100, 840, 120, 75}, 65, 23, 24, 12},
};
// clang-format on

}  // namespace

const SizeLayout& sizeLayout(int sizeMode) {
    if (sizeMode < 1) sizeMode = 1;
    if (sizeMode > 5) sizeMode = 5;
    return layouts[sizeMode - 1];
}
