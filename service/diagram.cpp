#include "service/diagram.h"

#include "res/resource.h"
#include "shell/language_list.h"

namespace {

DiagramLayout scrolled(int w, int h, int barThickness) {
    DiagramLayout l = {};
    l.originX = 10;
    l.originY = 10;
    l.w = w;
    l.h = h;
    l.maxX = DiagramWidth - w;
    l.maxY = DiagramHeight - h;
    l.scrollBars = true;
    l.hbar = {l.originX, l.originY + h, w, barThickness};
    l.vbar = {l.originX + w, l.originY, barThickness, h};
    return l;
}

}  // namespace

DiagramLayout diagramLayout(int sizeMode, int clientW, int clientH) {
    if (sizeMode == 1) return scrolled(600, 370, 15);
    if (sizeMode == 2) return scrolled(750, 485, 20);
    DiagramLayout l = {};
    // Integer division truncates toward zero, also for a client area
    // smaller than the picture.
    l.originX = (clientW - DiagramWidth) / 2;
    l.originY = (clientH - DiagramHeight) / 2;
    l.w = DiagramWidth;
    l.h = DiagramHeight;
    return l;
}

int scrolledOffset(int offset, int maximum, int request, uint16_t thumb) {
    switch (request) {
    case ScrollThumbTrack: return static_cast<int16_t>(thumb);
    case ScrollPageDown: offset += DiagramPageStep; break;
    case ScrollLineDown: offset += DiagramLineStep; break;
    case ScrollPageUp: offset -= DiagramPageStep; break;
    case ScrollLineUp: offset -= DiagramLineStep; break;
    default: return offset;
    }
    if (request == ScrollPageDown || request == ScrollLineDown)
        return offset > maximum ? maximum : offset;
    // The bars' range starts at 1, so the arrows stop there, not at 0.
    return offset <= 0 || offset > maximum ? 1 : offset;
}

int diagramBitmapFor(const char* languageCode) {
    const LanguageRow* l = findLanguage(languageCode);
    return l ? l->diagram : IDB_DIAGRAM_ANG;
}
