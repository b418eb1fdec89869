// Shared pens and brushes: created once before the main window, freed at
// exit. Pages select from this set and create none of their own.
#ifndef ZUVELS_SHELL_PALETTE_WIN_H
#define ZUVELS_SHELL_PALETTE_WIN_H

#include <windows.h>

#include "shell/scoped_win.h"

// A pen or brush of the palette: the palette owns it, the drawing calls
// take it as its plain handle.
template <typename Object>
struct PaletteObject : GdiObject<Object> {
    using Owner = GdiObject<Object>;
    using Owner::Owner;
    operator Object() const { return this->get(); }
};

struct Palette {
    // pens: colour and width
    PaletteObject<HPEN> cyan1, darkGreen1, yellow1, red1, red2, red4, navy1, navy2, blue2, grey1,
        black1, black4, white1, silver1, olive2, green2, lightGrey2;
    // brushes
    PaletteObject<HBRUSH> grey, green, black, navy, silver, cyan, red, white, darkGreen, yellow,
        olive, brown;
};
// Program-wide: the one set every page selects from.
extern Palette palette;

// A whole set, freed with the value returned.
Palette makePalette();
void createPalette();  // idempotent: the shared set, made once

// Colours by name, for text.
const COLORREF ColourBlack = RGB(0, 0, 0), ColourWhite = RGB(255, 255, 255),
               ColourRed = RGB(255, 0, 0), ColourGrey = RGB(128, 128, 128),
               ColourSilver = RGB(192, 192, 192), ColourDarkGreen = RGB(0, 128, 0),
               ColourCyan = RGB(0, 255, 255), ColourGreen = RGB(0, 255, 0),
               ColourLightGrey = RGB(210, 210, 210);
const COLORREF ColourOlive = RGB(128, 128, 0), ColourBlue = RGB(0, 0, 255),
               ColourNavy = RGB(0, 0, 128);

#endif
