// The options page as the shell sees it.
#ifndef ZUVELS_CONFIG_OPTIONS_PAGE_WIN_H
#define ZUVELS_CONFIG_OPTIONS_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Set-up calls made by the shell each time it creates the page.
void optionsPageFillLists(HWND page);
void optionsPageApplyTexts(HWND page);

#endif
