#include "shell/fonts_win.h"

#include <cstring>

#include "shell/language_list.h"
#include "shell/scoped_win.h"
#include "shell/sizes.h"

namespace {
HFONT selectedLarge = nullptr, selectedSmall = nullptr;
}

const HFONT& fontLarge = selectedLarge;
const HFONT& fontSmall = selectedSmall;

namespace {

// [character set][size mode - 1]: Central European first, Cyrillic second.
// Kept for the program's life; fontLarge and fontSmall borrow from them.
GdiObject<HFONT> largeFonts[2][SizeModeCount], smallFonts[2][SizeModeCount];
bool fontsCreated = false;

HFONT makeFont(int height, int width, int weight, BYTE charSet) {
    LOGFONTA lf;
    memset(&lf, 0, sizeof lf);  // zero: default precision, clipping and quality
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfWeight = weight;
    lf.lfCharSet = charSet;
    lf.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    strncpy(lf.lfFaceName, "Arial", LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

}  // namespace

void createDashboardFonts() {
    if (fontsCreated) return;
    const BYTE charSets[2] = {EASTEUROPE_CHARSET, RUSSIAN_CHARSET};
    for (int set = 0; set < 2; ++set)
        for (int size = 1; size <= SizeModeCount; ++size) {
            const WindowSize& w = windowSize(size);
            largeFonts[set][size - 1] =
                GdiObject<HFONT>(makeFont(w.fontLargeH, w.fontLargeW, FW_SEMIBOLD, charSets[set]));
            smallFonts[set][size - 1] =
                GdiObject<HFONT>(makeFont(w.fontSmallH, w.fontSmallW, FW_LIGHT, charSets[set]));
        }
    fontsCreated = true;
}

void selectDashboardFonts(int sizeMode, bool cyrillic) {
    if (sizeMode < 1) sizeMode = 1;
    if (sizeMode > SizeModeCount) sizeMode = SizeModeCount;
    selectedLarge = largeFonts[cyrillic ? 1 : 0][sizeMode - 1].get();
    selectedSmall = smallFonts[cyrillic ? 1 : 0][sizeMode - 1].get();
}

void selectDashboardFontsFor(int sizeMode, const char* languageCode) {
    selectDashboardFonts(sizeMode, languageOrFallback(languageCode).cyrillicFonts);
}
