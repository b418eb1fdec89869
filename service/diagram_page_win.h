// The wiring diagram page as the shell sees it.
#ifndef ZUVELS_SERVICE_DIAGRAM_PAGE_WIN_H
#define ZUVELS_SERVICE_DIAGRAM_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK diagramPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Viewport, scroll bars, the bitmap of the language and the first copy, for
// the current page, shownSize and language; run by the shell's applySize.
void diagramSetUp();
// Copies the visible part of the bitmap onto the page (main-window paint).
void diagramCopy();
// Gives back the bitmap and both DCs, if still held (main window destruction).
void deleteDiagramBitmap();

// What the view holds now (tests and screenshots).
struct DiagramViewState {
    HWND page;  // the page the view was set up for; null when none
    int bitmapId;
    bool bitmapLoaded;
    int offsetX, offsetY;
    int originX, originY, w, h;
};
DiagramViewState diagramViewState();

#endif
