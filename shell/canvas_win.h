// Drawing straight onto a page or dialog with the shared pens and brushes.
#ifndef ZUVELS_SHELL_CANVAS_WIN_H
#define ZUVELS_SHELL_CANVAS_WIN_H

#include <windows.h>

#include "shell/sizes.h"

struct FieldText;

// One drawing pass on a DC the caller holds (a paint DC, a DC to print on):
// the scale from design points to pixels, and the objects that were selected
// when the pass began, put back when it ends.
struct Canvas {
    HDC dc;
    double sx, sy;
    HGDIOBJ oldPen, oldBrush, oldFont;

    // Selects pen and brush, and font unless it is null.
    Canvas(HDC target, HPEN pen, HBRUSH brush, HGDIOBJ font = nullptr, double scaleX = 1.0,
           double scaleY = 1.0);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int px(int x) const { return scaleCoord(x, sx); }
    int py(int y) const { return scaleCoord(y, sy); }

    void use(HPEN pen, HBRUSH brush);
    // Design-space rectangle with the current pen and brush.
    void rect(int x1, int y1, int x2, int y2);
    // Opaque text at a design point: n characters of s, all of s (a text
    // built in code, or a language text), or a field.
    void text(HFONT font, int x, int y, const char* s, int n, COLORREF ink, COLORREF paper);
    void text(HFONT font, int x, int y, const char* s, COLORREF ink, COLORREF paper);
    void text(HFONT font, int x, int y, const wchar_t* s, COLORREF ink, COLORREF paper);
    void text(HFONT font, int x, int y, const FieldText& f, COLORREF ink, COLORREF paper);
};

// A pass on a page: design points scaled for the shownSize, the small
// dashboard font (the system font before there is one), the black pen and
// the given brush.
Canvas pageCanvas(HDC dc, HBRUSH brush);

#endif
