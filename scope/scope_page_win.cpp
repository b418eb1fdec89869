// Oscilloscope page: the frame the shell needs until the traces are in place.
#include "scope/scope_page_win.h"

INT_PTR CALLBACK scopePageProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void scopeResetTraces() {}
void scopePageStart() {}
void scopeRepaint() {}
