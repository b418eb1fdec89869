#include "readings/layout.h"

namespace {

// clang-format off
const ReadingsLayout layouts[SizeModeCount] = {
    // cell left edges, cell width, cell top, bottom, lamp,
    // learn button after a size change, on main-window paint
    {{113, 172, 231, 290}, 57, 123, 142, 22, {540, 358, 71, 30}, {540, 358, 71, 30}},
    {{140, 214, 288, 362}, 72, 160, 185, 30, {695, 465, 70, 40}, {685, 465, 80, 40}},
    {{180, 274, 368, 462}, 92, 211, 243, 40, {880, 610, 95, 60}, {875, 610, 105, 60}},
    {{225, 343, 461, 579}, 115, 268, 313, 50, {1100, 780, 120, 75}, {1100, 780, 120, 75}},
    {{225, 343, 461, 579}, 115, 288, 335, 55, {1100, 840, 120, 75}, {1100, 840, 120, 75}},
};
// clang-format on

}  // namespace

const ReadingsLayout& readingsLayout(int sizeMode) {
    if (sizeMode < 1) sizeMode = 1;
    if (sizeMode > SizeModeCount) sizeMode = SizeModeCount;
    return layouts[sizeMode - 1];
}
