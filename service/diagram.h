// Wiring diagram page: which picture, where its viewport lies, and how the
// scroll bars move it. Portable: no <windows.h>.
#ifndef ZUVELS_SERVICE_DIAGRAM_H
#define ZUVELS_SERVICE_DIAGRAM_H

#include <cstdint>

enum : int { DiagramWidth = 961, DiagramHeight = 636 };
// Offset steps of the scroll bar arrows and of a click beside the thumb.
enum : int { DiagramLineStep = 10, DiagramPageStep = 50 };

struct BarPlace {
    int x, y, w, h;
};

struct DiagramLayout {
    int originX, originY;  // viewport's top-left corner on the page
    int w, h;              // size of the copied part
    int maxX, maxY;        // largest offsets (with scroll bars only)
    bool scrollBars;
    BarPlace hbar, vbar;
};

// The two smallest sizes show part of the picture between scroll bars; the
// larger ones show it whole, centred in the main window's client area.
DiagramLayout diagramLayout(int sizeMode, int clientW, int clientH);

// Scroll bar request codes, as the scroll messages carry them.
enum ScrollRequest : int {
    ScrollLineUp = 0,
    ScrollLineDown = 1,
    ScrollPageUp = 2,
    ScrollPageDown = 3,
    ScrollThumbPosition = 4,
    ScrollThumbTrack = 5,
    ScrollTop = 6,
    ScrollBottom = 7,
    ScrollEnd = 8,
};

// The offset after one scroll message. thumb is the message's high word.
// A step towards the start never lands on 0 again: it stops at 1.
int scrolledOffset(int offset, int maximum, int request, uint16_t thumb);

// Bitmap resource of the language's diagram (English for unknown codes).
int diagramBitmapFor(const char* languageCode);

#endif
