#include "shell/palette_win.h"

Palette palette;

namespace {

PaletteObject<HPEN> pen(int width, COLORREF colour) {
    return PaletteObject<HPEN>(CreatePen(PS_SOLID, width, colour));
}
PaletteObject<HBRUSH> brush(COLORREF colour) {
    return PaletteObject<HBRUSH>(CreateSolidBrush(colour));
}

}  // namespace

Palette makePalette() {
    Palette p;
    p.cyan1 = pen(1, RGB(0, 255, 255));
    p.darkGreen1 = pen(1, RGB(0, 128, 0));
    p.yellow1 = pen(1, RGB(255, 255, 0));
    p.red1 = pen(1, RGB(255, 0, 0));
    p.red2 = pen(2, RGB(255, 0, 0));
    p.red4 = pen(4, RGB(255, 0, 0));
    p.navy1 = pen(1, RGB(0, 0, 128));
    p.navy2 = pen(2, RGB(0, 0, 128));
    p.blue2 = pen(2, RGB(0, 0, 255));
    p.grey1 = pen(1, RGB(128, 128, 128));
    p.black1 = pen(1, RGB(0, 0, 0));
    p.black4 = pen(4, RGB(0, 0, 0));
    p.white1 = pen(1, RGB(255, 255, 255));
    p.silver1 = pen(1, RGB(192, 192, 192));
    p.olive2 = pen(2, RGB(128, 120, 0));
    p.green2 = pen(2, RGB(0, 255, 0));
    p.lightGrey2 = pen(2, RGB(210, 210, 210));

    p.grey = brush(RGB(128, 128, 128));
    p.green = brush(RGB(0, 255, 0));
    p.black = brush(RGB(0, 0, 0));
    p.navy = brush(RGB(0, 0, 128));
    p.silver = brush(RGB(192, 192, 192));
    p.cyan = brush(RGB(0, 255, 255));
    p.red = brush(RGB(255, 0, 0));
    p.white = brush(RGB(255, 255, 255));
    p.darkGreen = brush(RGB(0, 128, 0));
    p.yellow = brush(RGB(255, 255, 0));
    p.olive = brush(RGB(128, 128, 0));
    p.brown = brush(RGB(128, 84, 79));
    return p;
}

void createPalette() {
    if (!palette.black1) palette = makePalette();
}
