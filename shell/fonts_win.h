// The dashboard fonts: created once at start-up (both character sets, all
// sizes); the shell selects the pair for the shownSize and language.
#ifndef ZUVELS_SHELL_FONTS_WIN_H
#define ZUVELS_SHELL_FONTS_WIN_H

#include <windows.h>

void createDashboardFonts();
void selectDashboardFonts(int sizeMode, bool cyrillic);
// The fonts for the size and a language code: Cyrillic where its row in
// shell/language_list.h says so, else Central European.
void selectDashboardFontsFor(int sizeMode, const char* languageCode);
// The pair selected last: read-only views, changed by the selection above.
extern const HFONT &fontLarge, &fontSmall;

#endif
