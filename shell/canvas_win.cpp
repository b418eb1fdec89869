#include "shell/canvas_win.h"

#include <cstring>

#include "shell/field_text.h"
#include "shell/app_state.h"
#include "shell/fonts_win.h"
#include "shell/palette_win.h"
#include "shell/text_win.h"

Canvas::Canvas(HDC target, HPEN pen, HBRUSH brush, HGDIOBJ font, double scaleX, double scaleY)
    : dc(target), sx(scaleX), sy(scaleY), oldFont(nullptr) {
    oldPen = SelectObject(dc, pen);
    oldBrush = SelectObject(dc, brush);
    if (font) oldFont = SelectObject(dc, font);
}

Canvas::~Canvas() {
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    if (oldFont) SelectObject(dc, oldFont);
}

void Canvas::use(HPEN pen, HBRUSH brush) {
    SelectObject(dc, pen);
    SelectObject(dc, brush);
}

void Canvas::rect(int x1, int y1, int x2, int y2) { Rectangle(dc, px(x1), py(y1), px(x2), py(y2)); }

void Canvas::text(HFONT font, int x, int y, const char* s, int n, COLORREF ink, COLORREF paper) {
    SelectObject(dc, font);
    SetTextColor(dc, ink);
    SetBkColor(dc, paper);
    SetBkMode(dc, OPAQUE);
    drawText(dc, px(x), py(y), ETO_OPAQUE, nullptr, s, n);
}

void Canvas::text(HFONT font, int x, int y, const wchar_t* s, COLORREF ink, COLORREF paper) {
    SelectObject(dc, font);
    SetTextColor(dc, ink);
    SetBkColor(dc, paper);
    SetBkMode(dc, OPAQUE);
    drawText(dc, px(x), py(y), ETO_OPAQUE, nullptr, s, static_cast<int>(wcslen(s)));
}

void Canvas::text(HFONT font, int x, int y, const char* s, COLORREF ink, COLORREF paper) {
    text(font, x, y, s, static_cast<int>(strlen(s)), ink, paper);
}

void Canvas::text(HFONT font, int x, int y, const FieldText& f, COLORREF ink, COLORREF paper) {
    text(font, x, y, f.text, f.count, ink, paper);
}

Canvas pageCanvas(HDC dc, HBRUSH brush) {
    const HGDIOBJ font = fontSmall ? static_cast<HGDIOBJ>(fontSmall) : GetStockObject(SYSTEM_FONT);
    return Canvas(dc, palette.black1, brush, font, dashboardScale.sx, dashboardScale.sy);
}
