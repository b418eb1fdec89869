// The configuration page as the shell sees it.
#ifndef ZUVELS_CONFIG_CONFIG_PAGE_WIN_H
#define ZUVELS_CONFIG_CONFIG_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK configPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Set-up calls made by the shell each time it creates the page.
void configPageFillLists(HWND page);
void configPageApplyTexts(HWND page);

#endif
