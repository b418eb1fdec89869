#include "shell/palette_win.h"

Palette palette;

void createPalette() {
    if (palette.black1) return;
    palette.cyan1 = CreatePen(PS_SOLID, 1, RGB(0, 255, 255));
    palette.darkGreen1 = CreatePen(PS_SOLID, 1, RGB(0, 128, 0));
    palette.yellow1 = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    palette.red1 = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    palette.red2 = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
    palette.red4 = CreatePen(PS_SOLID, 4, RGB(255, 0, 0));
    palette.navy1 = CreatePen(PS_SOLID, 1, RGB(0, 0, 128));
    palette.navy2 = CreatePen(PS_SOLID, 2, RGB(0, 0, 128));
    palette.blue2 = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
    palette.grey1 = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    palette.black1 = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    palette.black4 = CreatePen(PS_SOLID, 4, RGB(0, 0, 0));
    palette.white1 = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    palette.silver1 = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
    palette.olive2 = CreatePen(PS_SOLID, 2, RGB(128, 120, 0));
    palette.green2 = CreatePen(PS_SOLID, 2, RGB(0, 255, 0));
    palette.lightGrey2 = CreatePen(PS_SOLID, 2, RGB(210, 210, 210));

    palette.grey = CreateSolidBrush(RGB(128, 128, 128));
    palette.green = CreateSolidBrush(RGB(0, 255, 0));
    palette.black = CreateSolidBrush(RGB(0, 0, 0));
    palette.navy = CreateSolidBrush(RGB(0, 0, 128));
    palette.silver = CreateSolidBrush(RGB(192, 192, 192));
    palette.cyan = CreateSolidBrush(RGB(0, 255, 255));
    palette.red = CreateSolidBrush(RGB(255, 0, 0));
    palette.white = CreateSolidBrush(RGB(255, 255, 255));
    palette.darkGreen = CreateSolidBrush(RGB(0, 128, 0));
    palette.yellow = CreateSolidBrush(RGB(255, 255, 0));
    palette.olive = CreateSolidBrush(RGB(128, 128, 0));
    palette.brown = CreateSolidBrush(RGB(128, 84, 79));
}
