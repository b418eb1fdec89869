// Options page: the frame the shell needs until the page's lists and
// polling are in place.
#include "config/options_page_win.h"

INT_PTR CALLBACK optionsPageProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void optionsPageFillLists(HWND) {}
void optionsPageApplyTexts(HWND) {}
