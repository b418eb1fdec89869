// The readings page as the shell sees it.
#ifndef ZUVELS_READINGS_READINGS_WIN_H
#define ZUVELS_READINGS_READINGS_WIN_H

#include <windows.h>

INT_PTR CALLBACK readingsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// Places the learn button of the page (no-op when it has none).
// created picks the layout's place for a page just created, else the one
// after a size change.
void placeLearnButton(HWND page, int sizeMode, bool created);

// The page's paint: the static frame and the view as the last tick left it.
// Decides nothing, so it may run for any message, as often as it comes.
void paintReadings(HDC dc);
// The static frame alone (tests).
void drawReadingsFrame(HDC dc);

// A tick after its exchanges: decides from the stores, then draws what
// changed on the page (the current page for drawReadings).
void drawReadingsOn(HWND page);
void drawReadings();

#endif
