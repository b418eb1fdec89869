// The factory reset page as the shell sees it.
#ifndef ZUVELS_SERVICE_RESET_PAGE_WIN_H
#define ZUVELS_SERVICE_RESET_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK resetPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Places labels 1104, 1105, button 126 (and the progress bar) for the
// SizeMode; other values leave them where they are.
void placeResetControls(HWND page, int sizeMode);

#endif
