// The dashboard fonts: created once at start-up (both character sets, all
// sizes); the shell selects the pair for the SizeMode and language.
#ifndef ZUVELS_SHELL_FONTS_WIN_H
#define ZUVELS_SHELL_FONTS_WIN_H

#include <windows.h>

void createDashboardFonts();
void selectDashboardFonts(int sizeMode, bool cyrillic);
extern HFONT fontLarge, fontSmall;

#endif
