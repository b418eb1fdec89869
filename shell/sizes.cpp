#include "shell/sizes.h"

namespace {

// clang-format off
const WindowSize sizes[SizeModeCount] = {
    // screen, window, sx, sy, large font h w, small font h w
    {0, 0, 640, 450, 0.8, 0.77, 28, 11, 14, 6},
    {800, 600, 800, 570, 1.0, 1.0, 36, 14, 18, 8},
    {1024, 768, 1024, 738, 1.28, 1.32, 49, 18, 18, 8},
    {1280, 960, 1280, 930, 1.6, 1.69, 62, 23, 24, 12},
    {1280, 1024, 1280, 994, 1.6, 1.81, 65, 23, 24, 12},
};
// clang-format on

}  // namespace

const WindowSize& windowSize(int sizeMode) {
    if (sizeMode < 1) sizeMode = 1;
    if (sizeMode > SizeModeCount) sizeMode = SizeModeCount;
    return sizes[sizeMode - 1];
}

int largestSizeFor(long w, long h) {
    for (int size = SizeModeCount; size > 1; --size)
        if (w >= sizes[size - 1].screenW && h >= sizes[size - 1].screenH) return size;
    return 1;
}
