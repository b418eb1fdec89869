// The readings page as the shell sees it.
#ifndef ZUVELS_READINGS_READINGS_WIN_H
#define ZUVELS_READINGS_READINGS_WIN_H

#include <windows.h>

INT_PTR CALLBACK readingsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// Places the learn button of the page (no-op when it has none).
// onMainPaint picks the main-window-paint column of the layout table.
void placeLearnButton(HWND page, int sizeMode, bool onMainPaint);

void drawFrame();  // static frame of the current page
// A tick after its exchanges: decides from the stores, then draws what
// changed.
void drawReadings();

// The same on a given page window (tests and measurements).
void drawFrameOn(HWND page);
void drawReadingsOn(HWND page);
// Frame and view again as the last tick left them; decides nothing, so it
// may run for any message, as often as it comes.
void paintReadingsOn(HWND page);

#endif
