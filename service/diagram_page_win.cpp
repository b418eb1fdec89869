// Wiring diagram page: the frame the shell needs until the diagram view is
// in place.
#include "service/diagram_page_win.h"

INT_PTR CALLBACK diagramPageProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void diagramSetUp() {}
void diagramCopy() {}
void deleteDiagramBitmap() {}
