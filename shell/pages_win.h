// Pages, window sizes and the menu state that goes with them.
#ifndef ZUVELS_SHELL_PAGES_WIN_H
#define ZUVELS_SHELL_PAGES_WIN_H

#include <windows.h>

// Template the current page was created from (0 before the first page).
extern int currentPageTemplate;
// Set when a page is created; cleared once the main window's paint has left
// that page a paint of its own.
extern bool currentPageAwaitsOwnPaint;
// The SizeMode the size items were last enabled for; re-applied to a new menu.
extern int largestEnabledSize;

// Largest SizeMode whose window fits a screen whose desktop rectangle ends
// at (w, h).
int largestSizeFor(long w, long h);
// Where the main window goes on that screen: centred when it leaves more
// than 50 pixels across, else at (0, 0).
POINT windowPlaceFor(long w, long h, unsigned windowW, unsigned windowH);
// Sets SizeMode together with winW and winH.
void setSizeMode(int sizeMode);

// Creates page template as a modeless child of the main window and makes it
// the current page; the old page must be gone.
HWND createPage(int templateId, DLGPROC proc);
void destroyCurrentPage();

void showPage(int page);
void applySize();
void applySizeMarks();
void enableSizes(int largest);
void highlightPage();
void setLanguageBitmaps();
void rebuildPageForLanguage();
// Main-window paint while the factory reset page is shown.
void placeResetPage();

// Size command id for a SizeMode and back (0 when not a size command).
// 1-based position of value in a table of command ids, or 0.
int positionOf(const int* table, int count, int value);

int sizeCommandFor(int sizeMode);
int sizeModeForCommand(int command);
// Page command id for a PageKind and back (0 when not a page command).
int pageCommandFor(int page);
int pageForCommand(int command);

#endif
