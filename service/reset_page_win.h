// The factory reset page as the shell sees it.
#ifndef ZUVELS_SERVICE_RESET_PAGE_WIN_H
#define ZUVELS_SERVICE_RESET_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK resetPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// The three texts of the current language (creation and language changes).
void resetPageApplyTexts(HWND page);
// Places the two labels, the reset button and the progress bar for the
// shownSize (creation and size changes); other values leave them where they
// are.
void placeResetControls(HWND page, int sizeMode);

// Test seam: shows the page's message boxes; tests put a recorder in its place.
extern int (*resetMessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

#endif
