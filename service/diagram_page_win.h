// The wiring diagram page as the shell sees it.
#ifndef ZUVELS_SERVICE_DIAGRAM_PAGE_WIN_H
#define ZUVELS_SERVICE_DIAGRAM_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK diagramPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Viewport, scroll bars and the bitmap of the language, for the current
// page, shownSize and language; run by the shell's applySize. The page's
// paint shows the picture.
void diagramSetUp();
// Gives back the bitmap and the memory DC, if still held (main window
// destruction).
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
