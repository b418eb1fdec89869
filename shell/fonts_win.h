// The dashboard fonts: created once at start-up (both character sets, all
// sizes); the shell selects the pair for the SizeMode and language.
#ifndef ZUVELS_SHELL_FONTS_WIN_H
#define ZUVELS_SHELL_FONTS_WIN_H

#include <windows.h>

void createDashboardFonts();
void selectDashboardFonts(int sizeMode, bool cyrillic);
// The fonts for the size and a language code: Cyrillic for "rus", Central
// European for every other code.
void selectDashboardFontsFor(int sizeMode, const char* languageCode);
extern HFONT fontLarge, fontSmall;

#endif
