// Configuration page: the frame the shell needs until the page's lists and
// polling are in place.
#include "config/config_page_win.h"

INT_PTR CALLBACK configPageProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void configPageFillLists(HWND) {}
void configPageApplyTexts(HWND) {}
